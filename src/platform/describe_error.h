// DescribeError: any 32-bit result code to one short printable line.
#pragma once
#include <cstddef>
#include <cstdint>

// Describes code (0: the thread's last error) into buffer of size characters,
// sets the thread's last error to the code described, and returns buffer.
char* DescribeError(uint32_t code, char* buffer, size_t size);
// The thread's last error (the platform's on Windows, a thread-local value elsewhere).
uint32_t LastErrorCode();
// Sets the thread's last error.
void SetLastErrorCode(uint32_t code);
