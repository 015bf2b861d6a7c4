; The processor details a program can see, as the console's NMOS Z80 has
; them. Results, one byte each:
;   0  OUT (C),0 (ED 71) wrote 0 over a $55 in video RAM: reads back 0
;   1  JP NZ,$2800 not taken, then BIT 0,(HL): F bits 5 and 3 from the
;      high byte of MEMPTR, which holds the jump's target: $28
;   2  CALL NZ,$2800 not taken, the same: $28
;   3  SCF straight after CP $28 (A = 0, F = $BB): bits 5 and 3 from
;      (Q xor F) or A with Q = F, so clear: F = $81
;   4  SCF after CP $28 and a NOP: Q = 0, bits 5 and 3 from F: F = $A9
;   5  CCF straight after CP $28: bits from A alone, H the old carry: F = $90

        include "testkit.inc"

Main:
        ; 0: ED 71 over a $55
        ld hl,$1000 | (VDP_WRITE_VRAM << 8)
        call VdpSetAddress
        ld a,$55
        out (PORT_VDP_DATA),a
        ld hl,$1000 | (VDP_WRITE_VRAM << 8)
        call VdpSetAddress
        ld c,PORT_VDP_DATA
        db $ED,$71              ; OUT (C),0
        ld hl,$1000
        call VdpSetAddress
        in a,(PORT_VDP_DATA)
        ld (ix+0),a
        ; 1: JP NZ not taken; LD A,($0000) leaves MEMPTR = $0001 first
        ld a,($0000)
        xor a
        jp nz,$2800
        ld hl,RESULTS           ; BIT 0,(HL): F bits 5 and 3 from MEMPTR's high byte
        bit 0,(hl)
        push af
        pop bc
        ld a,c
        and $28
        ld (ix+1),a
        ; 2: CALL NZ not taken
        ld a,($0000)
        xor a
        call nz,$2800
        ld hl,RESULTS           ; BIT 0,(HL): F bits 5 and 3 from MEMPTR's high byte
        bit 0,(hl)
        push af
        pop bc
        ld a,c
        and $28
        ld (ix+2),a
        ; 3: SCF after CP
        xor a
        cp $28
        scf
        push af
        pop bc
        ld (ix+3),c
        ; 4: SCF after CP and NOP
        xor a
        cp $28
        nop
        scf
        push af
        pop bc
        ld (ix+4),c
        ; 5: CCF after CP
        xor a
        cp $28
        ccf
        push af
        pop bc
        ld (ix+5),c
        jp Finish

        ds $4000 - $, $FF
