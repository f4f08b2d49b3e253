#include "main_window/frm_main.h"

namespace velmora {

void frmMain::MelodyInit() {}
void frmMain::ParseMelody(int32_t) {}

}  // namespace velmora
