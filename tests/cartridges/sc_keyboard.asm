; The SC-3000's keyboard through its 8255, and the pads. Every frame (as
; often as it loops) the cartridge reads:
;   RESULTS+0,1   ports $DC and $DD as the chip starts (its ports inputs):
;                 row 7, the pads, which is what SG-1000 programs read
; then sets the chip up as the SC-3000's programs do ($92: ports A and B in,
; C out) and for each row 0-6 writes it to port C and stores port A then
; port B at RESULTS+2+2*row; row 7 is chosen with three bit-set commands
; instead (bits 0, 1, 2 of port C) and lands at RESULTS+16,17; port C read
; back at RESULTS+18. A mode word then makes the ports inputs again.

        include "sgkit.inc"

Main:
        ld ix,RESULTS
        in a,(PORT_PAD_A)
        ld (ix+0),a
        in a,(PORT_PAD_B)
        ld (ix+1),a
        ld a,$92
        out (PORT_PPI_CTRL),a
        ld b,0
        ld hl,RESULTS+2
_row:
        ld a,b
        out (PORT_PPI_C),a
        in a,(PORT_PAD_A)
        ld (hl),a
        inc hl
        in a,(PORT_PAD_B)
        ld (hl),a
        inc hl
        inc b
        ld a,b
        cp 7
        jr nz,_row
        xor a
        out (PORT_PPI_C),a
        ld a,$01
        out (PORT_PPI_CTRL),a
        ld a,$03
        out (PORT_PPI_CTRL),a
        ld a,$05
        out (PORT_PPI_CTRL),a
        in a,(PORT_PAD_A)
        ld (ix+16),a
        in a,(PORT_PAD_B)
        ld (ix+17),a
        in a,(PORT_PPI_C)
        ld (ix+18),a
        ld a,$9B
        out (PORT_PPI_CTRL),a
        jr Main

        ds $2000 - $, $00
