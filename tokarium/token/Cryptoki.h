#pragma once
// A stand-in CCryptoki that only binds and releases the PKCS#11 module, so that
// the main window can open before the token layer exists. The token layer's
// CCryptoki replaces this file.

class CCryptoki {
public:
    CCryptoki();
    ~CCryptoki();

    // 0, or the loader's error code (126 when the module is missing).
    unsigned long Attach(const char* fileName);
    unsigned long Detach();

private:
    CCryptoki(const CCryptoki&) = delete;
    CCryptoki& operator=(const CCryptoki&) = delete;

    void* m_module;
};
