; A test program that reports through the homebrew debug console: it prints
; a line with a register in it, then sets the run's exit status to 7.

        org $0000
        di
        im 1
        ld sp,$DFF0
        jp Main

        ds $66 - $, $FF
        retn

Main:
        ld a,42
        ld hl,Answer
        ld b,AnswerEnd - Answer
        ld c,$FD
        otir
Report:
        ld a,$40                ; the next data byte is the exit status
        out ($FC),a
        ld a,7
        out ($FD),a
Spin:
        jr Spin

Answer:
        db "answer=%dpr", 'a', 10
AnswerEnd:

        ds $4000 - $, $FF
