// The named objects by which the applet meets the Monitor service and the tray component:
// the service's events, the audio-alert events, the activity section and the drift file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Activity slots this program marks.
enum ActivitySlot : uint32_t {
  kActivityOv2Request = 7,
  kActivityOv2Reply = 8,
  kActivityNtpRequest = 9,
  kActivityNtpReply = 10,
  kActivityHttpRequest = 15,
  kActivityHttpReply = 16,
};

// Opens a service event by the naming rule; nullptr when it does not exist.
HANDLE OpenGlobalEvent(const std::string& name, DWORD access);
// Creates (or opens) an event by the naming rule; null security attributes mean everyone may open it.
HANDLE CreateGlobalEvent(const std::string& name, bool manualReset, SECURITY_ATTRIBUTES* attributes = nullptr);
// The process-wide attributes with a null access-control list.
SECURITY_ATTRIBUTES* OpenSecurityAttributes();

// Sets "ovmon-cpl-event" (settings changed) or "ovmon-trigger-event"; false when the service's event is missing.
bool SignalService(bool settingsChanged);
// Whether the service runs ("ovmon-working-signal" exists).
bool IsServiceRunning();
// Whether a check is in progress ("ovmon-working-signal" exists and is signalled).
bool IsScanInProgress();
// Stops the sounding alert: resets the ringing event and sets the acknowledgement event.
void AcknowledgeAudioAlert();
// Sends a command datagram to the tray component on loopback and waits up to 2 s for its
// 4-byte answer; 0 when it accepted, else the socket error, its answer, or -1 for a short answer.
uint32_t PingTrayIcon(const std::string& command);

// Creates or opens "Global\orvane-activity" (zero-filled only by its creator); false on failure.
bool OpenActivitySection();
// Unmaps and closes the section; marks stop at once.
void CloseActivitySection();
// Stores the activity mark 5 into a slot, when the section is open.
void MarkActivity(ActivitySlot slot);
// The value of a slot (0 when the section is closed).
uint32_t ActivityValue(ActivitySlot slot);

// Opens (creating when missing) the system directory's "drift.ovex"; false on failure.
bool OpenDriftFile();
// Closes the drift file.
void CloseDriftFile();
