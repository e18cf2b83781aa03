/* The product's version, shown by the About page and carried by both binaries' version
 * resources; scripts/package names the download after it. */
#pragma once

#define kCorvaneVersionText "0.40"
#define kCorvaneFileVersion 0, 40, 0, 0
#define kCorvaneCopyright "Copyright (C) 2026 the Corvane developers"
