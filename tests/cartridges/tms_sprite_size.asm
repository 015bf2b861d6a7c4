; Large and magnified TMS sprites (register 1 bits 1 and 0): a 16 x 16
; sprite is four patterns from the number with its low two bits cleared, the
; first two down its left half, the next two down its right half; magnified,
; each pixel covers 2 x 2. Graphics I, sprite table at $1B00, patterns at
; $3800, backdrop 4.
;
; Picture: sprite 0 at X 16, Y 47 (top line 48), pattern number 5 (so 4-7),
; colour 15. Pattern 4 rows $C0, 5 rows $03, 6 rows $FF, 7 empty:
;   lines 48-63: x 16-19 and 32-47 lit
;   lines 64-79: x 28-31 lit

        include "testkit.inc"

; The kit's mode-4 patterns at $0020-$00BF stay: every name is 0, and
; pattern 0 is empty.
Main:
        ld hl,Blocks
        call VdpWriteBlocks
        ld hl,Registers
        call VdpSetRegisters
        call WaitFrameEnd
        jp Finish

Registers:
        db $00,0, $06,2, $80,3, $00,4, $36,5, $07,6, $04,7, $C3,1, 0,$FF

Blocks:
        dw $3820 | $4000
        db 32
        db $C0,$C0,$C0,$C0,$C0,$C0,$C0,$C0
        db $03,$03,$03,$03,$03,$03,$03,$03
        db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
        db 0,0,0,0,0,0,0,0
        dw $1B00 | $4000
        db 5, 47,16,5,15, $D0
        dw 0

        ds $4000 - $, $FF
