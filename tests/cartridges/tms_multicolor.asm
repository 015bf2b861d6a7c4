; Multicolor (register 1 bit 3, M2): each name's pattern (at (register 4 &
; 7) << 11) gives 4 x 4 blocks, a byte for two of them (high nibble left);
; names in row r take bytes 2 (r & 3) and 2 (r & 3) + 1, for the top and the
; bottom four lines. Colour 0 shows the backdrop. Here names at $0800,
; patterns at $1000, backdrop 5.
;
; Picture:
;   row 0, cols 0-7: names 1-8; pattern n's byte 0 = colours 2n-2 and 2n-1
;     (all sixteen colours across x 0-63 on lines 0-3), byte 1 = $FF
;   row 1 col 0 and row 4 col 0: name 1, bytes 2-3 = $9A, $3C

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
        db $00,0, $02,2, $02,4, $7E,5, $07,6, $05,7, $C8,1, 0,$FF

Blocks:
        dw $1008 | $4000
        db 64
        db $01,$FF,$9A,$3C,0,0,0,0
        db $23,$FF,0,0,0,0,0,0
        db $45,$FF,0,0,0,0,0,0
        db $67,$FF,0,0,0,0,0,0
        db $89,$FF,0,0,0,0,0,0
        db $AB,$FF,0,0,0,0,0,0
        db $CD,$FF,0,0,0,0,0,0
        db $EF,$FF,0,0,0,0,0,0
        dw $0800 | $4000
        db 8, 1,2,3,4,5,6,7,8
        dw ($0800 + 32) | $4000
        db 1, 1
        dw ($0800 + 4 * 32) | $4000
        db 1, 1
        dw $3F00 | $4000
        db 1, $D0
        dw 0

        ds $4000 - $, $FF
