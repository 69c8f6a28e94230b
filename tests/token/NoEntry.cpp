// A loadable library that is not a PKCS#11 module.
#ifdef _WIN32
extern "C" __declspec(dllexport) int NotACryptokiModule() { return 1; }
#else
extern "C" int NotACryptokiModule() { return 1; }
#endif
