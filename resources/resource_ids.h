/* Resource numbers of SETUP.EXE and UNINSTAL.EXE: dialog templates, their controls and the
   icon. Read by the resource scripts and by the C++ code, so it holds plain #defines only. The
   buttons OK, Cancel, Yes and No carry the system's IDOK, IDCANCEL, IDYES and IDNO. */
#pragma once

#define DialogMainMenu 400
#define DialogDestination 401
#define DialogGraphics 403
#define DialogHalt 409
#define DialogProgress 410
#define DialogFinal 411
#define DialogFinalFirstInstall 412

#define IconSetup 800

/* Controls of the main menu. */
#define ItemMenuInstall 101
#define ItemMenuGraphicsDriver 102
#define ItemMenuWelcome 110

/* Controls of the destination dialog; the separator frame marks where the line is painted. */
#define ItemDirectory 100
#define ItemRequiredKb 101
#define ItemFreeKb 102
#define ItemDestinationText 110
#define ItemRequiredLabel 500
#define ItemSeparator 1000

/* Controls of the driver dialog: one radio button per driver, and their group. */
#define ItemDriverOptimised 101
#define ItemDriverStandard 102
#define ItemDriverWinG 103
#define ItemDriverGroup 104

/* Controls of the progress dialog: the file name, the bar (a hidden frame) and the percentage;
   and of the halt confirmation over it: the warning, a format for the Title. */
#define ItemFileName 101
#define ItemProgressBar 102
#define ItemPercent 103
#define ItemHaltText 101

/* Controls of the closing dialogs: the line with the Title and how to start the program. */
#define ItemFinalTitle 101
#define ItemHowToStart 102
