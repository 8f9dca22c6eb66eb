#include "settings/message_editor.h"

#include "resources/control_ids.h"

void showMessageBank(Window mainWindow, int bank) {
    const bool bank2 = bank == 2;
    for (int k = 0; k < 6; ++k) {
        showControl(mainWindow, mainwin::MessageEdit1 + k, !bank2);
        showControl(mainWindow, mainwin::MessageLabel1 + k, !bank2);
        showControl(mainWindow, mainwin::MessageEdit7 + k, bank2);
        showControl(mainWindow, mainwin::MessageLabel7 + k, bank2);
    }
}

// Placeholders until the message memory work lands.
bool messageKeyFilter(Window, int, unsigned) { return true; }
void loadMessages(Window) {}
void storeMessages(Window) {}
int messageBytesUsed(Window) { return 0; }
