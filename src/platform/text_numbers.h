// Numbers in texts as the platform's C runtime reads them (32-bit long), shared by the
// time-source grammar and the keyring: leading white space, an optional sign, base 0 meaning
// decimal, "0x" hexadecimal or leading-zero octal; reading stops at the first other
// character and overflow saturates.
#pragma once
#include <cstdint>
#include <string>

// strtoul: a negative number wraps around; overflow gives 0xFFFFFFFF.
uint32_t StrToUl32(const std::string& text, int base);
// strtol: overflow gives INT32_MAX or INT32_MIN.
int32_t StrToL32(const std::string& text, int base);
// Value of a hexadecimal digit, -1 for any other character.
int HexDigitValue(char c);
