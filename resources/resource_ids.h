/* Resource numbers of SETUP.EXE: dialog templates and the icon. Read by the resource script
   and by the C++ code, so it holds plain #defines only. */
#pragma once

#define DialogMainMenu 400
#define DialogDestination 401
#define DialogGraphics 403
#define DialogHalt 409
#define DialogProgress 410
#define DialogFinal 411
#define DialogFinalFirstInstall 412

#define IconSetup 800
