; A Master System scene for the Game Gear's scaler: solid white sprites over
; black, one on columns 32-39 and lines 48-55, one on columns 100-107 and
; lines 49-56, so their edges fall on every place of the scaler's groups.

        include "testkit.inc"

Main:
        ld hl,Sprites
        call LoadSprites
        ld a,DISPLAY_ON
        call VdpSetMode
        jp Finish

Sprites:
        db 3
        db 47,48,SPRITE_END
        db 32,PAT_SOLID1, 100,PAT_SOLID1, 0,0

        ds $4000 - $, $FF
