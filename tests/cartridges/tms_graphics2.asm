; Graphics II (register 0 bit 1, M3): the screen in thirds of 256 patterns
; and colours each. The pattern table's base is register 4 bit 2, and
; register 4 bits 0-1 mask the third's bits of a pattern's number; the
; colour table's base is register 3 bit 7, and register 3 bits 0-6 mask bits
; 3-9 of a colour's number. Here register 3 = $3E (colours at $0000, bits 3
; and 9 masked) and register 4 = $06 (patterns at $2000, bit 8 masked);
; backdrop 7. Names at $3800.
;
; Picture, name 5 unless said (pattern address / colour address):
;   A row 0 col 0:          $2028 / $0028   pattern $F0 (row 7 $FF), colours $96
;   B row 0 col 1, name 13: $2068 / $0028   pattern $CC, A's colours
;   C row 8 col 0:          $2028 / $0828   A's pattern, colours $3D
;   D row 16 col 0:         $3028 / $0028   pattern $0F, A's colours
;   E row 0 col 2, name 21: $20A8 / $00A8   pattern $F0, colours $D0 (0: backdrop)
; The addresses the masks steer away from hold other bytes.

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
        db $02,0, $3E,3, $06,4, $0E,2, $7E,5, $07,7, $C0,1, 0,$FF

Blocks:
        dw $2028 | $4000
        db 8, $F0,$F0,$F0,$F0,$F0,$F0,$F0,$FF
        dw $0028 | $4000
        db 8, $96,$96,$96,$96,$96,$96,$96,$96
        dw $2068 | $4000
        db 8, $CC,$CC,$CC,$CC,$CC,$CC,$CC,$CC
        dw $0828 | $4000
        db 8, $3D,$3D,$3D,$3D,$3D,$3D,$3D,$3D
        dw $3028 | $4000
        db 8, $0F,$0F,$0F,$0F,$0F,$0F,$0F,$0F
        dw $20A8 | $4000
        db 8, $F0,$F0,$F0,$F0,$F0,$F0,$F0,$F0
        dw $00A8 | $4000
        db 8, $D0,$D0,$D0,$D0,$D0,$D0,$D0,$D0
        ; where unmasked numbers would lead
        dw $2828 | $4000
        db 8, $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
        dw $0068 | $4000
        db 8, $44,$44,$44,$44,$44,$44,$44,$44
        dw $1028 | $4000
        db 8, $55,$55,$55,$55,$55,$55,$55,$55
        ; names
        dw $3800 | $4000
        db 3, 5,13,21
        dw ($3800 + 8 * 32) | $4000
        db 1, 5
        dw ($3800 + 16 * 32) | $4000
        db 1, 5
        dw ($3F00) | $4000
        db 1, $D0
        dw 0

        ds $4000 - $, $FF
