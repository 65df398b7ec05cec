// What the tool keeps in reboot.prefs: the main window's last position and the domain
// credentials, scrambled with ROT47 (obfuscation, not protection).
#pragma once

// Reads the stored position into windowX / windowY (-32000, a minimised window's position,
// becomes 5); on the first start creates the file and asks for the credentials. False when the
// first start's prompts could not be shown (no desktop): the file it created is removed again.
bool LoadSettings();
// Asks for domain, admin name and password, in that order, and stores them scrambled, with
// "FirstRun" 0. A cancelled prompt stores the empty text. False, with nothing stored, when a
// prompt could not be shown at all. The password is held only in secret texts, so no copy of it,
// in clear or scrambled, stays in memory afterwards.
bool PromptCredentials();
// Writes where the main window's frame stands as "RebootX" / "RebootY": while it is minimised,
// where it is restored to.
void SavePosition();
