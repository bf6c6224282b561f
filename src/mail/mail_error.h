// Result codes as they appear in mail error texts and the SMTP transcript.
#pragma once
#include <cstdint>
#include <string>

// "error %u: <description>", or "error 0x%08X: <description>" for codes that are 0 or
// negative as signed numbers; the description comes from DescribeError.
std::string DescribeMailError(uint32_t code);
