#pragma once

// Makes the Windows fonts that Debian ships outside fontconfig's paths
// (Tahoma, MS Sans Serif from fonts-wine) known to the program.
void registerWindowsFonts();
