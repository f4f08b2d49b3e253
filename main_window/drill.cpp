#include "main_window/frm_main.h"

namespace velmora {

void frmMain::PitchPlay(bool) {}
void frmMain::PitchResponse(int32_t) {}
void frmMain::cmdResponse_Action(platform::Object&) {}
void frmMain::cmdGo_Action(platform::Object&) {}
void frmMain::tmrPitch_Action(platform::Object&) {}
void frmMain::chkPitch_Action(platform::Object&) {}
void frmMain::cmdReveal_Action(platform::Object&) {}
void frmMain::tmrDelay_Action(platform::Object&) {}

}  // namespace velmora
