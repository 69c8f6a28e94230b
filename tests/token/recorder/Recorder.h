#pragma once
// The recording module: a PKCS#11 module for tests that forwards every call
// to the module named by QUORIN_RECORDER_TARGET and writes down, as one line
// of text per call, what the caller passed. It can also fail chosen calls and
// complete creation templates for modules that need a certificate or key type.
//
// A test reaches these through the loaded module by name.

#ifdef _WIN32
#define RECORDER_EXPORT extern "C" __declspec(dllexport)
#else
#define RECORDER_EXPORT extern "C" __attribute__((visibility("default")))
#endif

typedef int (*RecorderCallCountFn)();
typedef const char* (*RecorderCallFn)(int index);
typedef void (*RecorderClearFn)();
// The next `times` calls of the function (every call when times < 0) return rv
// without reaching the target.
typedef void (*RecorderFailFn)(const char* function, unsigned long rv, int times);
// Appends CKA_CERTIFICATE_TYPE X.509 and CKA_KEY_TYPE RSA to creation
// templates that lack them, before forwarding (the record keeps the original).
typedef void (*RecorderCompleteFn)(int on);
