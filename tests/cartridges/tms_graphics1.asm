; Graphics I (register 0 bits 1 and 2 clear, register 1 bits 3 and 4 clear):
; names at (register 2 & $0F) << 10, patterns at (register 4 & 7) << 11,
; one colour byte for each 8 patterns at register 3 << 6, set bits in its
; high nibble, clear bits in its low one, colour 0 showing the backdrop
; (register 7's low nibble). Here names at $1800, colours at $2000, patterns
; at $0800, backdrop 4.
;
; Picture:
;   row 2 col 3: pattern 8 ($0840), rows $F0, colours at $2001 = $96
;   row 5 col 10: pattern 16 ($0880), rows $0F, colours at $2002 = $0C
;   row 23 col 31: pattern 8 again
; everything else pattern 0 (empty) in colours $00: the backdrop. Pattern 8
; at $0040, where register 4 = 0 would look, is solid.

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
        db $00,0, $06,2, $80,3, $01,4, $36,5, $07,6, $F4,7, $C0,1, 0,$FF

Blocks:
        dw $0840 | $4000
        db 8, $F0,$F0,$F0,$F0,$F0,$F0,$F0,$F0
        dw $0880 | $4000
        db 8, $0F,$0F,$0F,$0F,$0F,$0F,$0F,$0F
        dw $2001 | $4000
        db 2, $96,$0C
        dw $0040 | $4000
        db 8, $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
        dw ($1800 + 2 * 32 + 3) | $4000
        db 1, 8
        dw ($1800 + 5 * 32 + 10) | $4000
        db 1, 16
        dw ($1800 + 23 * 32 + 31) | $4000
        db 1, 8
        dw $1B00 | $4000
        db 1, $D0
        dw 0

        ds $4000 - $, $FF
