#pragma once
// The program's shared procedures for sound, help texts and tooltips.
//
// Sound: two players. A caller sets the request (SoundDevice 1 or 2,
// SoundMode 1 = play without waiting, 2 = play and wait until the end) and
// calls PlaySound(), which carries it out and clears it.
#include <QString>
#include <chrono>

class QWidget;

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

// The help window's texts: each puts one text into the help window.
void LoadHelpText();
void LoadOpenInfo();
void LoadCreateEncodedInfo();
void LoadCreateDecodedInfo();
void LoadEncodeInfo();
void LoadPasswordCheckInfo();
void LoadDecodeInfo();
void LoadSearchInfo();
void LoadNewFolderInfo();
// Shows the help window modally over `parent` with the text last loaded.
void ShowHelpWindow(QWidget* parent);

// Assigns every tooltip of the program; the file dialog's four mode-dependent
// tooltips follow the state of its "ÖFFNEN" button at the time of the call.
void SetToolTips();

}  // namespace Module2
