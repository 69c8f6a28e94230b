#pragma once
// Helpers shared by the ASN.1 tests.

#include "tokarium/asn1/ASN1Exception.h"
#include "tokarium/asn1/ByteArray.h"

#include <string>

namespace asn1test {

inline CByteArray Hex(const char* hex) { return CByteArray(hex); }

inline std::string HexOf(CByteArray& a) { return a.toHexString(); }

inline std::string HexOf(const CByteArray& a)
{
    CByteArray copy(a);
    return copy.toHexString();
}

// Which kind of exception a call threw, deleting it: "parsing", "not found",
// "none", or the thrown code for plain numbers.
template <class F>
std::string ThrownBy(F&& call)
{
    try {
        call();
    } catch (CASN1ParsingException* e) {
        delete e;
        return "parsing";
    } catch (CASN1ObjectNotFoundException* e) {
        delete e;
        return "not found";
    } catch (CASN1Exception* e) {
        delete e;
        return "other asn1";
    } catch (long code) {
        return "long " + std::to_string(code);
    } catch (int code) {
        return "int " + std::to_string(code);
    }
    return "none";
}

}  // namespace asn1test
