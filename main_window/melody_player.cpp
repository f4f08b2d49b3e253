#include "main_window/frm_main.h"

namespace velmora {

void frmMain::MelodyPlay() {}
void frmMain::cmdTrigger_Action(platform::Object&) {}
void frmMain::tmrMelodyPlay_Action(platform::Object&) {}

}  // namespace velmora
