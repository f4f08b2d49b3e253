#include "main_window/frm_main.h"

namespace velmora {

void frmMain::MelodyLoad(int32_t) {}

}  // namespace velmora
