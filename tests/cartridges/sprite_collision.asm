; Sprite collision: status bit 5 is set when opaque pixels of two of the
; sprites drawn on a line meet on a visible pixel.
;
; Results, each a status read after a whole picture and a read straight
; after it, for these scenes on lines 48-55 (96-103 for the third):
;   1. two sprites on the same spot, opaque halves side by side
;   2. two solid sprites touching edge to edge
;   3. eight solid sprites apart and a ninth on top of the first
;   4. two solid sprites on the same spot, both pushed off the left edge by
;      register 0 bit 3
;   5. sprite 0 (left half, colour 1) on sprite 1 (solid, colour 2) four
;      pixels left of it; sprite 2 solid colour 1 alone at X 100
; Picture: scene 5.

        include "testkit.inc"

Main:
        ld a,DISPLAY_ON
        call VdpSetMode
        ld hl,HalvesSideBySide
        call LoadSprites
        call MeasureFrame
        ld hl,Touching
        call LoadSprites
        call MeasureFrame
        ld hl,NinthOnFirst
        call LoadSprites
        call MeasureFrame
        ld hl,OffTheLeftEdge
        call LoadSprites
        ld a,$0C                        ; mode 4, sprites 8 pixels left
        out (PORT_VDP_CTRL),a
        ld a,VDP_REGISTER | 0
        out (PORT_VDP_CTRL),a
        call MeasureFrame
        ld a,$04
        out (PORT_VDP_CTRL),a
        ld a,VDP_REGISTER | 0
        out (PORT_VDP_CTRL),a
        ld hl,Overlapping
        call LoadSprites
        call MeasureFrame
        jp Finish

HalvesSideBySide:
        db 3
        db 47,47,SPRITE_END
        db 40,PAT_LEFT1, 40,PAT_RIGHT2, 0,0

Touching:
        db 3
        db 47,47,SPRITE_END
        db 40,PAT_SOLID1, 48,PAT_SOLID2, 0,0

NinthOnFirst:
        db 10
        db 95,95,95,95,95,95,95,95,95,SPRITE_END
        db 0,PAT_SOLID1, 16,PAT_SOLID1, 32,PAT_SOLID1, 48,PAT_SOLID1
        db 64,PAT_SOLID1, 80,PAT_SOLID1, 96,PAT_SOLID1, 112,PAT_SOLID1
        db 4,PAT_SOLID2, 0,0

OffTheLeftEdge:
        db 3
        db 47,47,SPRITE_END
        db 0,PAT_SOLID1, 0,PAT_SOLID2, 0,0

Overlapping:
        db 4
        db 47,47,47,SPRITE_END
        db 40,PAT_LEFT1, 36,PAT_SOLID2, 100,PAT_SOLID1, 0,0

        ds $4000 - $, $FF
