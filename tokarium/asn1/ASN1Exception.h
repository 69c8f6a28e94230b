#pragma once
// Malformed ASN.1 data is reported by throwing a pointer to one of these,
// created with new; whoever catches it deletes it.

#include <cstddef>

class CASN1Exception {
public:
    explicit CASN1Exception(const char* message) : message(message) {}
    virtual ~CASN1Exception() {}
    // False, and nothing copied, when the buffer cannot hold the message and its NUL.
    virtual bool getMessage(char* buffer, size_t bufferSize) const;

    const char* getText() const { return message; }

private:
    const char* message;
};

class CASN1ParsingException : public CASN1Exception {
public:
    CASN1ParsingException() : CASN1Exception("Bad ASN1Object parsed") {}
};

class CASN1ObjectNotFoundException : public CASN1Exception {
public:
    CASN1ObjectNotFoundException() : CASN1Exception("") {}
};
