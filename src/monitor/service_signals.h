// The named objects by which the applet meets the Monitor service and the tray component:
// the service's events, the audio-alert events, the tray channel and the drift file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// The names of the service's events, which the service makes and the applet opens.
extern const char kSettingsEventName[];  // "ovmon-cpl-event": read the settings again
extern const char kTriggerEventName[];   // "ovmon-trigger-event": check now
extern const char kWorkingSignalName[];  // "ovmon-working-signal": exists while the service runs, set while it checks
extern const char kRingingEventName[];   // "ovmon-audio-alert-ringing": an audible alert is sounding

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

// Opens (creating when missing) the system directory's "drift.ovex"; false on failure.
bool OpenDriftFile();
// Closes the drift file.
void CloseDriftFile();
