// The program's resources: the setup dialog template and picture the window layer finds by id.
#pragma once

namespace zel::app {

// The setup dialog's template bytes (resource 101).
extern const unsigned char kSetupDialogTemplate[722];

// Registers the setup dialog (101) and its picture (115) with the window layer.
void RegisterAppResources();

}  // namespace zel::app
