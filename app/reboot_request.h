// The reboot request: the three fields of the main window become one run of the system's
// shutdown.exe, waited for; and the live count of characters left in the notification text.
#pragma once

// Validates the fields, runs shutdown.exe for a forced restart of the named computer and resets
// the form when it succeeded; a failure is shown in an error box and the fields are kept.
void SubmitReboot();
// Shows 512 minus the notification text's length in the counter label.
void UpdateCharsLeft();
