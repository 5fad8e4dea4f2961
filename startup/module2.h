#pragma once
// The program's shared procedures for sound. (The help window's text
// procedures are in viewer/help_procedures.h; each window takes its
// tooltips from startup/tooltips.h as it is built.)
//
// Sound: two players. A caller sets the request (SoundDevice 1 or 2,
// SoundMode 1 = play without waiting, 2 = play and wait until the end) and
// calls PlaySound(), which carries it out and clears it.
#include <QString>
#include <chrono>

namespace Module2 {

extern unsigned char SoundDevice;
extern unsigned char SoundMode;

// Prepares player 1 (the Qt players need no settings; kept for the order of
// the start-up steps).
void InitSound();
// Closes player `device` (1 or 2) and opens the file named by the current
// directory, a separator and `fileName` on it; any other device does nothing.
void LoadSound(int device, const QString& fileName);
// Closes player 1, then player 2.
void CloseSounds();
// Carries out the pending request and clears it, whatever it was. Any
// combination other than device 1 or 2 with mode 1 or 2 plays nothing.
void PlaySound();
// How long "play and wait" waits at most on player `device`: the length of
// the sound it was last given plus a margin for the audio output to start.
std::chrono::milliseconds WaitBound(int device);

}  // namespace Module2
