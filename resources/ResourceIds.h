/* Identifiers of everything compiled into Corvane.exe from resources/Corvane.rc.
 *
 * Plain #defines so that the same header serves the C++ code and the resource compiler
 * (windres runs the C preprocessor over Corvane.rc and includes this file). Keep the values
 * plain decimal or hexadecimal literals: the resource compiler does not evaluate expressions
 * in resource names. */
#ifndef CORVANE_RESOURCES_RESOURCEIDS_H
#define CORVANE_RESOURCES_RESOURCEIDS_H

/* Custom resource type under which the skin pictures are stored as JPEG files. */
#define kJpegResourceType "JPEG"

/* Skin pictures (resource type "JPEG", baseline JFIF, no chroma subsampling). */
#define kJpegSkinNormal 138     /* main window at rest, 177 x 292 */
#define kJpegSkinLit 139        /* main window lit: pressed buttons and the played ring */
#define kJpegPlaylistLit 140    /* playlist window with every button pressed, 426 x 350 */
#define kJpegPlaylistNormal 141 /* playlist window face and list background, 426 x 350 */
#define kJpegPrefsSkin 146      /* preferences window background, 401 x 330 */
#define kJpegAboutSkin 147      /* About window picture, 403 x 420 */

/* Region maps: each area painted in a flat colour of its own (16 standard VGA colours). */
#define kBitmapMainMap 106     /* main window, 177 x 292, 4 bits */
#define kBitmapPlaylistMap 134 /* playlist window, 426 x 350, 4 bits RLE-4 */
#define kBitmapAboutMap 148    /* About window, 403 x 420, 4 bits */

/* Main window material. */
#define kBitmapVolumeDot 112       /* the volume knob's 3 x 3 dot, 4 bits */
#define kBitmapSeekFrameFirst 116  /* seek knob frame k is kBitmapSeekFrameFirst + k */
#define kBitmapSeekFrameLast 127
#define kSeekFrameCount 12         /* 49 x 49, 24 bits, 30 degrees apart */
#define kBitmapGlyphStrip 130      /* 1331 x 13, 4 bits: characters 32 to 126, 14-pixel cells */

/* Cursor and icon groups. */
#define kCursorKnob 128 /* 32 x 32 monochrome curved arrow, hot spot (8, 5) */
#define kIconMain 133   /* 16 x 16 and 32 x 32 at 4 bits, 48 x 48 at 8 bits */

/* Dialog templates of the preferences window's two tab pages. */
#define kDialogGeneralPage 142 /* four check boxes and the ReplayGain choice */
#define kDialogAboutPage 144   /* icon, name, version, credits */

/* Check boxes of the General page. */
#define kIdcImmediatePlay 1000
#define kIdcMultipleInstances 1001
#define kIdcMinimizeToSystemTray 1002
#define kIdcRealisticKnobRotation 1003
/* The General page's ReplayGain choice (off, track, album) and its label. */
#define kIdcReplayGain 1004
#define kIdcReplayGainLabel 1005

/* Identifier of every static control of the About page. */
#define kIdcStatic 0xFFFF

#endif /* CORVANE_RESOURCES_RESOURCEIDS_H */
