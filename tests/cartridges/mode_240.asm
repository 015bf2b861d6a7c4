; A 240-line picture on a PAL console (see tall_scene.inc): row 29 (lines
; 232-239) white. An NTSC console has no such picture: it shows 192 lines.
TALL_BITS       equ $08
WHITE_ROW       equ 29
        include "tall_scene.inc"
