// The activity section "Global\orvane-activity": a shared page of slots in which the programs
// of the family mark the exchanges they make, so that the family's time service can see them.
#pragma once
#include <cstdint>

// Activity slots this program marks.
enum ActivitySlot : uint32_t {
  kActivityOv2Request = 7,
  kActivityOv2Reply = 8,
  kActivityNtpRequest = 9,
  kActivityNtpReply = 10,
  kActivityHttpRequest = 15,
  kActivityHttpReply = 16,
};

// Creates or opens "Global\orvane-activity" (zero-filled only by its creator); false on failure.
bool OpenActivitySection();
// Unmaps and closes the section; marks stop at once.
void CloseActivitySection();
// Stores the activity mark 5 into a slot, when the section is open.
void MarkActivity(ActivitySlot slot);
// The value of a slot (0 when the section is closed).
uint32_t ActivityValue(ActivitySlot slot);
