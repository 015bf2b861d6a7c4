; Sprite zoom (register 1 bit 0): every sprite pixel is drawn as 2 x 2.
; Picture only: a checkered sprite with Y 47 at X 32, a solid one with Y 47
; at X 100, and a solid one with Y $F7 at X 140 whose lower half shows on
; lines 0-7.

        include "testkit.inc"

Main:
        ld hl,Sprites
        call LoadSprites
        ld a,DISPLAY_ON | SPRITE_ZOOM
        call VdpSetMode
        jp Finish

Sprites:
        db 4
        db 47,47,$F7,SPRITE_END
        db 32,PAT_CHECKER1, 100,PAT_SOLID1, 140,PAT_SOLID1, 0,0

        ds $4000 - $, $FF
