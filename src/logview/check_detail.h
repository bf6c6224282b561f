// The detail file of a stored check, shown to the user in Notepad.
#pragma once
#include <cstdint>

class CMonitorStore;
class CNotepad;

// Opens the check's detail file in Notepad, or says that there is none; returns whether it existed.
bool ShowCheckDetail(const CMonitorStore& store, uint32_t time, CNotepad* notepad);
