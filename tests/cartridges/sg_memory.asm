; The SG-1000's and SC-3000's memory map, as an 8 KB cartridge sees it.
; Results at RESULTS:
;   0-2  $C010, $C410, $FC10 after writing 1 at $C010, 2 at $C410, 3 at
;        $C810: the work RAM repeats every 1 KB (3, 3, 3) or 2 KB (3, 2, 2)
;   3    $8000 after writing $A5 there (the extra RAM's first place)
;   4    $A000: the extra RAM at $8000 repeats at $A000
;   5    $2000 after writing $5A there (its other place)
;   6    $0000 and 7 $2000 + 1: the 8 KB image repeats at $2000
;   8    $FF: the end marker

        include "sgkit.inc"

Main:
        ld a,1
        ld ($C010),a
        ld a,2
        ld ($C410),a
        ld a,3
        ld ($C810),a
        ld ix,RESULTS
        ld a,($C010)
        ld (ix+0),a
        ld a,($C410)
        ld (ix+1),a
        ld a,($FC10)
        ld (ix+2),a
        ld a,$A5
        ld ($8000),a
        ld a,($8000)
        ld (ix+3),a
        ld a,($A000)
        ld (ix+4),a
        ld a,$5A
        ld ($2000),a
        ld a,($2000)
        ld (ix+5),a
        ld a,($0000)
        ld (ix+6),a
        ld a,($2001)
        ld (ix+7),a
        ld (ix+8),$FF
Idle:
        jr Idle

        ds $2000 - $, $00
