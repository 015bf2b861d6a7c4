; At most eight sprites a line: the first eight in table order are drawn, and
; a ninth on a line sets status bit 6.
;
; Results, each a status read after a whole picture and a read straight
; after it: eight sprites on lines 48-55; a ninth added on lines 56-63 (no
; line holds nine); the ninth moved onto lines 48-55.
; Picture: the last scene. Sprites 0-7 at X 16, 32 ... 128, sprite 8 at X 0.

        include "testkit.inc"

Main:
        ld hl,EightSprites
        call LoadSprites
        ld a,DISPLAY_ON
        call VdpSetMode
        call MeasureFrame
        ld hl,NineSprites
        call LoadSprites
        call MeasureFrame
        ld b,8
        ld c,47
        call SetSpriteY
        call MeasureFrame
        jp Finish

EightSprites:
        db 9
        db 47,47,47,47,47,47,47,47,SPRITE_END
        db 16,PAT_SOLID1, 32,PAT_SOLID1, 48,PAT_SOLID1, 64,PAT_SOLID1
        db 80,PAT_SOLID1, 96,PAT_SOLID1, 112,PAT_SOLID1, 128,PAT_SOLID1, 0,0

NineSprites:
        db 10
        db 47,47,47,47,47,47,47,47,55,SPRITE_END
        db 16,PAT_SOLID1, 32,PAT_SOLID1, 48,PAT_SOLID1, 64,PAT_SOLID1
        db 80,PAT_SOLID1, 96,PAT_SOLID1, 112,PAT_SOLID1, 128,PAT_SOLID1
        db 0,PAT_SOLID1, 0,0

        ds $4000 - $, $FF
