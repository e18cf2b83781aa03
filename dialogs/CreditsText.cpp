#include "dialogs/CreditsText.h"

#include "skin/GdiHandles.h"

// What the program is, who made it, and what of other people's work is linked into it, with
// the notices their licences ask a binary to carry. libjpeg-turbo is built without its TurboJPEG
// API, so the IJG notice is the one it requires; the MinGW-w64 runtime pieces are linked
// statically and named with their licences too.
const char kCreditsText[] =
    "Corvane 0.41 BETA\n"
    "\n"
    "This is incomplete software.\n"
    "\n"
    "Corvane is a skinned desktop player for MPEG audio files. Songs are decoded by plug-ins; "
    "Fluxdec, its MPEG-1 Layer III decoder, is one of them.\n"
    "\n"
    "User interface programming\n"
    "The Corvane developers\n"
    "\n"
    "User interface design and graphics\n"
    "The Corvane developers\n"
    "\n"
    "MP3 decoding engine (Fluxdec)\n"
    "The Corvane developers\n"
    "\n"
    "Pictures\n"
    "libjpeg-turbo 2.1.5 decodes the skin's JPEG pictures. It is used under the IJG License; "
    "libjpeg-turbo is also covered by the Modified (3-clause) BSD License and the zlib "
    "License.\n"
    "This software is based in part on the work of the Independent JPEG Group.\n"
    "libjpeg: copyright (C) 1991-2020 Thomas G. Lane, Guido Vollbeding.\n"
    "libjpeg-turbo: copyright (C) 2009-2023 D. R. Commander, and others.\n"
    "\n"
    "Runtime\n"
    "winpthreads, copyright (C) 2011-2016 the mingw-w64 project, under the MIT (Expat) "
    "License. The GCC runtime libraries (libstdc++, libgcc) under the GNU GPL version 3 with "
    "the GCC Runtime Library Exception.\n"
    "\n"
    "Thanks\n"
    "To everyone who played a song on it, reported what went wrong, or drew a knob.\n"
    "\n"
    "Press any key to close this window.";

int32_t DrawCreditsText(HDC surfaceDc)
{
    SetBkColor(surfaceDc, kCreditsBackground);
    SetTextColor(surfaceDc, kCreditsInk);
    RECT whole = {0, 0, kCreditsWidth, kCreditsSurfaceHeight};
    const GdiObject<HBRUSH> background(CreateSolidBrush(kCreditsBackground));
    FillRect(surfaceDc, &whole, background.Get());

    const SelectedObject font(surfaceDc, GetStockObject(DEFAULT_GUI_FONT));
    RECT measured = whole;
    DrawTextA(surfaceDc, kCreditsText, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    // Measuring narrows the rectangle to the widest line; centre in the full width instead.
    RECT text = {0, 0, kCreditsWidth, measured.bottom};
    DrawTextA(surfaceDc, kCreditsText, -1, &text, DT_WORDBREAK | DT_CENTER);
    return measured.bottom;
}
