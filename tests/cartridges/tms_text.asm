; Text (register 1 bit 4, M1): 40 columns of 6 pixels from x = 8, names at
; (register 2 & $0F) << 10, 40 a row, patterns at (register 4 & 7) << 11,
; showing their bits 7-2 in register 7's colours (high nibble for set bits,
; low nibble for clear bits and the borders); sprites are not shown. Here
; names at $0400, patterns at $1000, colours $A4.
;
; Picture:
;   row 0 col 0 and row 2 col 1: pattern 1, rows $FF (bits 1-0 not shown)
;   row 1 col 39: pattern 2, rows $A8
;   sprite 0 at X 100 on lines 16-23 in colour 15 (not drawn)

        include "testkit.inc"

Main:
        call VdpClearVram
        ld hl,Blocks
        call VdpWriteBlocks
        ld hl,Registers
        call VdpSetRegisters
        call WaitFrameEnd
        jp Finish

Registers:
        db $00,0, $01,2, $02,4, $7E,5, $07,6, $A4,7, $D0,1, 0,$FF

Blocks:
        dw $1008 | $4000
        db 16, $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF, $A8,$A8,$A8,$A8,$A8,$A8,$A8,$A8
        dw $0400 | $4000
        db 1, 1
        dw ($0400 + 40 + 39) | $4000
        db 1, 2
        dw ($0400 + 80 + 1) | $4000
        db 1, 1
        dw $3800 | $4000
        db 8, $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
        dw $3F00 | $4000
        db 5, 15,100,0,15, $D0
        dw 0

        ds $4000 - $, $FF
