; A 224-line picture (see tall_scene.inc): 32-row name table at $3700, row
; 27 (lines 216-223) white, and a sprite with Y = $D0 drawn, not ending the
; list.
TALL_BITS       equ $10
WHITE_ROW       equ 27
        include "tall_scene.inc"
