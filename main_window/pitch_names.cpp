#include "main_window/frm_main.h"

namespace velmora {

void frmMain::Event_Open(platform::Object&) {}
bool frmMain::Event_KeyDown(platform::Object&, const platform::String&) { return false; }

}  // namespace velmora
