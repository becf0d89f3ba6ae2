// The setup dialog's template bytes (resource 101).
#pragma once

extern const unsigned char kSetupDialogTemplate[722];
