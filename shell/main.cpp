#include "shell/startup.h"

int main() { return velmora::percentMain(); }
