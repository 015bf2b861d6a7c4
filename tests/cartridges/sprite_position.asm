; Sprite Y: a sprite's top row is on the line after its Y byte, counted
; modulo 256, and a Y of $D0 ends the table.
; Picture only: solid 8 x 8 sprites with Y 0 at X 16, Y $FF at X 40, Y $F8 at
; X 64 and Y 47 at X 88; after the $D0 entry, one with Y 47 at X 112.

        include "testkit.inc"

Main:
        ld hl,Sprites
        call LoadSprites
        ld a,DISPLAY_ON
        call VdpSetMode
        jp Finish

Sprites:
        db 6
        db 0,$FF,$F8,47,SPRITE_END,47
        db 16,PAT_SOLID1, 40,PAT_SOLID1, 64,PAT_SOLID1, 88,PAT_SOLID1, 0,0, 112,PAT_SOLID1

        ds $4000 - $, $FF
