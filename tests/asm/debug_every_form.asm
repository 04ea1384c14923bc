; Every instruction form of the CPU, one per line, for the disassembler's tests.
;
; Each line is written exactly as the disassembler shows it, so z80asm assembling it
; checks that the text stands for those bytes. Forms z80asm cannot write (SLL, some index
; register halves, the core's unrecognised and prefix-ignored forms, ED FE) are DB lines
; with the expected text after "=". After ';' also stand the flow when it is not "next"
; and the form when it is not "normal".
;
; The relative jumps near the start reach both ways and wrap below address 0. A lone
; prefix (DB $DD, DB $ED) is followed by an instruction starting with a prefix, as it
; must be to stand alone.

        org 0

; Unprefixed page
        NOP
        LD BC,$1234
        LD (BC),A
        INC BC
        INC B
        DEC B
        LD B,$A5
        RLCA
        EX AF,AF'
        ADD HL,BC
        LD A,(BC)
        DEC BC
        INC C
        DEC C
        LD C,$A5
        RRCA
        DJNZ $0095               ; conditionalJump
        LD DE,$1234
        LD (DE),A
        INC DE
        INC D
        DEC D
        LD D,$A5
        RLA
        JR $FFA2                 ; jump
        ADD HL,DE
        LD A,(DE)
        DEC DE
        INC E
        DEC E
        LD E,$A5
        RRA
        JR NZ,$003C              ; conditionalJump
        LD HL,$1234
        LD ($BEEF),HL
        INC HL
        INC H
        DEC H
        LD H,$A5
        DAA
        JR Z,$0036               ; conditionalJump
        ADD HL,HL
        LD HL,($BEEF)
        DEC HL
        INC L
        DEC L
        LD L,$A5
        CPL
        JR NC,$00C5              ; conditionalJump
        LD SP,$1234
        LD ($BEEF),A
        INC SP
        INC (HL)
        DEC (HL)
        LD (HL),$A5
        SCF
        JR C,$FFD4               ; conditionalJump
        ADD HL,SP
        LD A,($BEEF)
        DEC SP
        INC A
        DEC A
        LD A,$A5
        CCF
        LD B,B
        LD B,C
        LD B,D
        LD B,E
        LD B,H
        LD B,L
        LD B,(HL)
        LD B,A
        LD C,B
        LD C,C
        LD C,D
        LD C,E
        LD C,H
        LD C,L
        LD C,(HL)
        LD C,A
        LD D,B
        LD D,C
        LD D,D
        LD D,E
        LD D,H
        LD D,L
        LD D,(HL)
        LD D,A
        LD E,B
        LD E,C
        LD E,D
        LD E,E
        LD E,H
        LD E,L
        LD E,(HL)
        LD E,A
        LD H,B
        LD H,C
        LD H,D
        LD H,E
        LD H,H
        LD H,L
        LD H,(HL)
        LD H,A
        LD L,B
        LD L,C
        LD L,D
        LD L,E
        LD L,H
        LD L,L
        LD L,(HL)
        LD L,A
        LD (HL),B
        LD (HL),C
        LD (HL),D
        LD (HL),E
        LD (HL),H
        LD (HL),L
        HALT                     ; halt
        LD (HL),A
        LD A,B
        LD A,C
        LD A,D
        LD A,E
        LD A,H
        LD A,L
        LD A,(HL)
        LD A,A
        ADD A,B
        ADD A,C
        ADD A,D
        ADD A,E
        ADD A,H
        ADD A,L
        ADD A,(HL)
        ADD A,A
        ADC A,B
        ADC A,C
        ADC A,D
        ADC A,E
        ADC A,H
        ADC A,L
        ADC A,(HL)
        ADC A,A
        SUB B
        SUB C
        SUB D
        SUB E
        SUB H
        SUB L
        SUB (HL)
        SUB A
        SBC A,B
        SBC A,C
        SBC A,D
        SBC A,E
        SBC A,H
        SBC A,L
        SBC A,(HL)
        SBC A,A
        AND B
        AND C
        AND D
        AND E
        AND H
        AND L
        AND (HL)
        AND A
        XOR B
        XOR C
        XOR D
        XOR E
        XOR H
        XOR L
        XOR (HL)
        XOR A
        OR B
        OR C
        OR D
        OR E
        OR H
        OR L
        OR (HL)
        OR A
        CP B
        CP C
        CP D
        CP E
        CP H
        CP L
        CP (HL)
        CP A
        RET NZ                   ; conditionalRet
        POP BC
        JP NZ,$1234              ; conditionalJump
        JP $1234                 ; jump
        CALL NZ,$1234            ; conditionalCall
        PUSH BC
        ADD A,$A5
        RST $00                  ; rst
        RET Z                    ; conditionalRet
        RET                      ; ret
        JP Z,$1234               ; conditionalJump
        CALL Z,$1234             ; conditionalCall
        CALL $1234               ; call
        ADC A,$A5
        RST $08                  ; rst
        RET NC                   ; conditionalRet
        POP DE
        JP NC,$1234              ; conditionalJump
        OUT ($A5),A
        CALL NC,$1234            ; conditionalCall
        PUSH DE
        SUB $A5
        RST $10                  ; rst
        RET C                    ; conditionalRet
        EXX
        JP C,$1234               ; conditionalJump
        IN A,($A5)
        CALL C,$1234             ; conditionalCall
        SBC A,$A5
        RST $18                  ; rst
        RET PO                   ; conditionalRet
        POP HL
        JP PO,$1234              ; conditionalJump
        EX (SP),HL
        CALL PO,$1234            ; conditionalCall
        PUSH HL
        AND $A5
        RST $20                  ; rst
        RET PE                   ; conditionalRet
        JP (HL)                  ; jumpIndirect
        JP PE,$1234              ; conditionalJump
        EX DE,HL
        CALL PE,$1234            ; conditionalCall
        XOR $A5
        RST $28                  ; rst
        RET P                    ; conditionalRet
        POP AF
        JP P,$1234               ; conditionalJump
        DI
        CALL P,$1234             ; conditionalCall
        PUSH AF
        OR $A5
        RST $30                  ; rst
        RET M                    ; conditionalRet
        LD SP,HL
        JP M,$1234               ; conditionalJump
        EI
        CALL M,$1234             ; conditionalCall
        CP $A5
        RST $38                  ; rst

; CB page
        RLC B
        RLC C
        RLC D
        RLC E
        RLC H
        RLC L
        RLC (HL)
        RLC A
        RRC B
        RRC C
        RRC D
        RRC E
        RRC H
        RRC L
        RRC (HL)
        RRC A
        RL B
        RL C
        RL D
        RL E
        RL H
        RL L
        RL (HL)
        RL A
        RR B
        RR C
        RR D
        RR E
        RR H
        RR L
        RR (HL)
        RR A
        SLA B
        SLA C
        SLA D
        SLA E
        SLA H
        SLA L
        SLA (HL)
        SLA A
        SRA B
        SRA C
        SRA D
        SRA E
        SRA H
        SRA L
        SRA (HL)
        SRA A
        DB $CB,$30               ; = SLL B
        DB $CB,$31               ; = SLL C
        DB $CB,$32               ; = SLL D
        DB $CB,$33               ; = SLL E
        DB $CB,$34               ; = SLL H
        DB $CB,$35               ; = SLL L
        DB $CB,$36               ; = SLL (HL)
        DB $CB,$37               ; = SLL A
        SRL B
        SRL C
        SRL D
        SRL E
        SRL H
        SRL L
        SRL (HL)
        SRL A
        BIT 0,B
        BIT 0,C
        BIT 0,D
        BIT 0,E
        BIT 0,H
        BIT 0,L
        BIT 0,(HL)
        BIT 0,A
        BIT 1,B
        BIT 1,C
        BIT 1,D
        BIT 1,E
        BIT 1,H
        BIT 1,L
        BIT 1,(HL)
        BIT 1,A
        BIT 2,B
        BIT 2,C
        BIT 2,D
        BIT 2,E
        BIT 2,H
        BIT 2,L
        BIT 2,(HL)
        BIT 2,A
        BIT 3,B
        BIT 3,C
        BIT 3,D
        BIT 3,E
        BIT 3,H
        BIT 3,L
        BIT 3,(HL)
        BIT 3,A
        BIT 4,B
        BIT 4,C
        BIT 4,D
        BIT 4,E
        BIT 4,H
        BIT 4,L
        BIT 4,(HL)
        BIT 4,A
        BIT 5,B
        BIT 5,C
        BIT 5,D
        BIT 5,E
        BIT 5,H
        BIT 5,L
        BIT 5,(HL)
        BIT 5,A
        BIT 6,B
        BIT 6,C
        BIT 6,D
        BIT 6,E
        BIT 6,H
        BIT 6,L
        BIT 6,(HL)
        BIT 6,A
        BIT 7,B
        BIT 7,C
        BIT 7,D
        BIT 7,E
        BIT 7,H
        BIT 7,L
        BIT 7,(HL)
        BIT 7,A
        RES 0,B
        RES 0,C
        RES 0,D
        RES 0,E
        RES 0,H
        RES 0,L
        RES 0,(HL)
        RES 0,A
        RES 1,B
        RES 1,C
        RES 1,D
        RES 1,E
        RES 1,H
        RES 1,L
        RES 1,(HL)
        RES 1,A
        RES 2,B
        RES 2,C
        RES 2,D
        RES 2,E
        RES 2,H
        RES 2,L
        RES 2,(HL)
        RES 2,A
        RES 3,B
        RES 3,C
        RES 3,D
        RES 3,E
        RES 3,H
        RES 3,L
        RES 3,(HL)
        RES 3,A
        RES 4,B
        RES 4,C
        RES 4,D
        RES 4,E
        RES 4,H
        RES 4,L
        RES 4,(HL)
        RES 4,A
        RES 5,B
        RES 5,C
        RES 5,D
        RES 5,E
        RES 5,H
        RES 5,L
        RES 5,(HL)
        RES 5,A
        RES 6,B
        RES 6,C
        RES 6,D
        RES 6,E
        RES 6,H
        RES 6,L
        RES 6,(HL)
        RES 6,A
        RES 7,B
        RES 7,C
        RES 7,D
        RES 7,E
        RES 7,H
        RES 7,L
        RES 7,(HL)
        RES 7,A
        SET 0,B
        SET 0,C
        SET 0,D
        SET 0,E
        SET 0,H
        SET 0,L
        SET 0,(HL)
        SET 0,A
        SET 1,B
        SET 1,C
        SET 1,D
        SET 1,E
        SET 1,H
        SET 1,L
        SET 1,(HL)
        SET 1,A
        SET 2,B
        SET 2,C
        SET 2,D
        SET 2,E
        SET 2,H
        SET 2,L
        SET 2,(HL)
        SET 2,A
        SET 3,B
        SET 3,C
        SET 3,D
        SET 3,E
        SET 3,H
        SET 3,L
        SET 3,(HL)
        SET 3,A
        SET 4,B
        SET 4,C
        SET 4,D
        SET 4,E
        SET 4,H
        SET 4,L
        SET 4,(HL)
        SET 4,A
        SET 5,B
        SET 5,C
        SET 5,D
        SET 5,E
        SET 5,H
        SET 5,L
        SET 5,(HL)
        SET 5,A
        SET 6,B
        SET 6,C
        SET 6,D
        SET 6,E
        SET 6,H
        SET 6,L
        SET 6,(HL)
        SET 6,A
        SET 7,B
        SET 7,C
        SET 7,D
        SET 7,E
        SET 7,H
        SET 7,L
        SET 7,(HL)
        SET 7,A

; ED page
        DB $ED,$00               ; unrecognised
        DB $ED,$01               ; unrecognised
        DB $ED,$02               ; unrecognised
        DB $ED,$03               ; unrecognised
        DB $ED,$04               ; unrecognised
        DB $ED,$05               ; unrecognised
        DB $ED,$06               ; unrecognised
        DB $ED,$07               ; unrecognised
        DB $ED,$08               ; unrecognised
        DB $ED,$09               ; unrecognised
        DB $ED,$0A               ; unrecognised
        DB $ED,$0B               ; unrecognised
        DB $ED,$0C               ; unrecognised
        DB $ED,$0D               ; unrecognised
        DB $ED,$0E               ; unrecognised
        DB $ED,$0F               ; unrecognised
        DB $ED,$10               ; unrecognised
        DB $ED,$11               ; unrecognised
        DB $ED,$12               ; unrecognised
        DB $ED,$13               ; unrecognised
        DB $ED,$14               ; unrecognised
        DB $ED,$15               ; unrecognised
        DB $ED,$16               ; unrecognised
        DB $ED,$17               ; unrecognised
        DB $ED,$18               ; unrecognised
        DB $ED,$19               ; unrecognised
        DB $ED,$1A               ; unrecognised
        DB $ED,$1B               ; unrecognised
        DB $ED,$1C               ; unrecognised
        DB $ED,$1D               ; unrecognised
        DB $ED,$1E               ; unrecognised
        DB $ED,$1F               ; unrecognised
        DB $ED,$20               ; unrecognised
        DB $ED,$21               ; unrecognised
        DB $ED,$22               ; unrecognised
        DB $ED,$23               ; unrecognised
        DB $ED,$24               ; unrecognised
        DB $ED,$25               ; unrecognised
        DB $ED,$26               ; unrecognised
        DB $ED,$27               ; unrecognised
        DB $ED,$28               ; unrecognised
        DB $ED,$29               ; unrecognised
        DB $ED,$2A               ; unrecognised
        DB $ED,$2B               ; unrecognised
        DB $ED,$2C               ; unrecognised
        DB $ED,$2D               ; unrecognised
        DB $ED,$2E               ; unrecognised
        DB $ED,$2F               ; unrecognised
        DB $ED,$30               ; unrecognised
        DB $ED,$31               ; unrecognised
        DB $ED,$32               ; unrecognised
        DB $ED,$33               ; unrecognised
        DB $ED,$34               ; unrecognised
        DB $ED,$35               ; unrecognised
        DB $ED,$36               ; unrecognised
        DB $ED,$37               ; unrecognised
        DB $ED,$38               ; unrecognised
        DB $ED,$39               ; unrecognised
        DB $ED,$3A               ; unrecognised
        DB $ED,$3B               ; unrecognised
        DB $ED,$3C               ; unrecognised
        DB $ED,$3D               ; unrecognised
        DB $ED,$3E               ; unrecognised
        DB $ED,$3F               ; unrecognised
        IN B,(C)
        OUT (C),B
        SBC HL,BC
        LD ($BEEF),BC
        NEG
        RETN                     ; ret
        IM 0
        LD I,A
        IN C,(C)
        OUT (C),C
        ADC HL,BC
        LD BC,($BEEF)
        DB $ED,$4C               ; unrecognised
        RETI                     ; ret
        DB $ED,$4E               ; unrecognised
        LD R,A
        IN D,(C)
        OUT (C),D
        SBC HL,DE
        LD ($BEEF),DE
        DB $ED,$54               ; unrecognised
        DB $ED,$55               ; unrecognised
        IM 1
        LD A,I
        IN E,(C)
        OUT (C),E
        ADC HL,DE
        LD DE,($BEEF)
        DB $ED,$5C               ; unrecognised
        DB $ED,$5D               ; unrecognised
        IM 2
        LD A,R
        IN H,(C)
        OUT (C),H
        SBC HL,HL
        DB $ED,$63,$EF,$BE       ; = LD ($BEEF),HL
        DB $ED,$64               ; unrecognised
        DB $ED,$65               ; unrecognised
        DB $ED,$66               ; unrecognised
        RRD
        IN L,(C)
        OUT (C),L
        ADC HL,HL
        DB $ED,$6B,$EF,$BE       ; = LD HL,($BEEF)
        DB $ED,$6C               ; unrecognised
        DB $ED,$6D               ; unrecognised
        DB $ED,$6E               ; unrecognised
        RLD
        IN F,(C)
        DB $ED,$71               ; unrecognised
        SBC HL,SP
        LD ($BEEF),SP
        DB $ED,$74               ; unrecognised
        DB $ED,$75               ; unrecognised
        DB $ED,$76               ; unrecognised
        DB $ED,$77               ; unrecognised
        IN A,(C)
        OUT (C),A
        ADC HL,SP
        LD SP,($BEEF)
        DB $ED,$7C               ; unrecognised
        DB $ED,$7D               ; unrecognised
        DB $ED,$7E               ; unrecognised
        DB $ED,$7F               ; unrecognised
        DB $ED,$80               ; unrecognised
        DB $ED,$81               ; unrecognised
        DB $ED,$82               ; unrecognised
        DB $ED,$83               ; unrecognised
        DB $ED,$84               ; unrecognised
        DB $ED,$85               ; unrecognised
        DB $ED,$86               ; unrecognised
        DB $ED,$87               ; unrecognised
        DB $ED,$88               ; unrecognised
        DB $ED,$89               ; unrecognised
        DB $ED,$8A               ; unrecognised
        DB $ED,$8B               ; unrecognised
        DB $ED,$8C               ; unrecognised
        DB $ED,$8D               ; unrecognised
        DB $ED,$8E               ; unrecognised
        DB $ED,$8F               ; unrecognised
        DB $ED,$90               ; unrecognised
        DB $ED,$91               ; unrecognised
        DB $ED,$92               ; unrecognised
        DB $ED,$93               ; unrecognised
        DB $ED,$94               ; unrecognised
        DB $ED,$95               ; unrecognised
        DB $ED,$96               ; unrecognised
        DB $ED,$97               ; unrecognised
        DB $ED,$98               ; unrecognised
        DB $ED,$99               ; unrecognised
        DB $ED,$9A               ; unrecognised
        DB $ED,$9B               ; unrecognised
        DB $ED,$9C               ; unrecognised
        DB $ED,$9D               ; unrecognised
        DB $ED,$9E               ; unrecognised
        DB $ED,$9F               ; unrecognised
        LDI
        CPI
        INI
        OUTI
        DB $ED,$A4               ; unrecognised
        DB $ED,$A5               ; unrecognised
        DB $ED,$A6               ; unrecognised
        DB $ED,$A7               ; unrecognised
        LDD
        CPD
        IND
        OUTD
        DB $ED,$AC               ; unrecognised
        DB $ED,$AD               ; unrecognised
        DB $ED,$AE               ; unrecognised
        DB $ED,$AF               ; unrecognised
        LDIR                     ; blockRepeat
        CPIR                     ; blockRepeat
        INIR                     ; blockRepeat
        OTIR                     ; blockRepeat
        DB $ED,$B4               ; unrecognised
        DB $ED,$B5               ; unrecognised
        DB $ED,$B6               ; unrecognised
        DB $ED,$B7               ; unrecognised
        LDDR                     ; blockRepeat
        CPDR                     ; blockRepeat
        INDR                     ; blockRepeat
        OTDR                     ; blockRepeat
        DB $ED,$BC               ; unrecognised
        DB $ED,$BD               ; unrecognised
        DB $ED,$BE               ; unrecognised
        DB $ED,$BF               ; unrecognised
        DB $ED,$C0               ; unrecognised
        DB $ED,$C1               ; unrecognised
        DB $ED,$C2               ; unrecognised
        DB $ED,$C3               ; unrecognised
        DB $ED,$C4               ; unrecognised
        DB $ED,$C5               ; unrecognised
        DB $ED,$C6               ; unrecognised
        DB $ED,$C7               ; unrecognised
        DB $ED,$C8               ; unrecognised
        DB $ED,$C9               ; unrecognised
        DB $ED,$CA               ; unrecognised
        DB $ED,$CB               ; unrecognised
        DB $ED,$CC               ; unrecognised
        DB $ED,$CD               ; unrecognised
        DB $ED,$CE               ; unrecognised
        DB $ED,$CF               ; unrecognised
        DB $ED,$D0               ; unrecognised
        DB $ED,$D1               ; unrecognised
        DB $ED,$D2               ; unrecognised
        DB $ED,$D3               ; unrecognised
        DB $ED,$D4               ; unrecognised
        DB $ED,$D5               ; unrecognised
        DB $ED,$D6               ; unrecognised
        DB $ED,$D7               ; unrecognised
        DB $ED,$D8               ; unrecognised
        DB $ED,$D9               ; unrecognised
        DB $ED,$DA               ; unrecognised
        DB $ED,$DB               ; unrecognised
        DB $ED,$DC               ; unrecognised
        DB $ED,$DD               ; unrecognised
        DB $ED,$DE               ; unrecognised
        DB $ED,$DF               ; unrecognised
        DB $ED,$E0               ; unrecognised
        DB $ED,$E1               ; unrecognised
        DB $ED,$E2               ; unrecognised
        DB $ED,$E3               ; unrecognised
        DB $ED,$E4               ; unrecognised
        DB $ED,$E5               ; unrecognised
        DB $ED,$E6               ; unrecognised
        DB $ED,$E7               ; unrecognised
        DB $ED,$E8               ; unrecognised
        DB $ED,$E9               ; unrecognised
        DB $ED,$EA               ; unrecognised
        DB $ED,$EB               ; unrecognised
        DB $ED,$EC               ; unrecognised
        DB $ED                   ; unrecognised
        DB $ED,$EE               ; unrecognised
        DB $ED,$EF               ; unrecognised
        DB $ED,$F0               ; unrecognised
        DB $ED,$F1               ; unrecognised
        DB $ED,$F2               ; unrecognised
        DB $ED,$F3               ; unrecognised
        DB $ED,$F4               ; unrecognised
        DB $ED,$F5               ; unrecognised
        DB $ED,$F6               ; unrecognised
        DB $ED,$F7               ; unrecognised
        DB $ED,$F8               ; unrecognised
        DB $ED,$F9               ; unrecognised
        DB $ED,$FA               ; unrecognised
        DB $ED,$FB               ; unrecognised
        DB $ED,$FC               ; unrecognised
        DB $ED,$FD               ; unrecognised
        DB $ED,$FE               ; = TAPETRAP
        DB $ED,$FF               ; unrecognised

; IX page
        DB $DD,$00               ; prefixIgnored = NOP
        DB $DD,$01,$34,$12       ; prefixIgnored = LD BC,$1234
        DB $DD,$02               ; prefixIgnored = LD (BC),A
        DB $DD,$03               ; prefixIgnored = INC BC
        DB $DD,$04               ; prefixIgnored = INC B
        DB $DD,$05               ; prefixIgnored = DEC B
        DB $DD,$06,$A5           ; prefixIgnored = LD B,$A5
        DB $DD,$07               ; prefixIgnored = RLCA
        DB $DD,$08               ; prefixIgnored = EX AF,AF'
        ADD IX,BC
        DB $DD,$0A               ; prefixIgnored = LD A,(BC)
        DB $DD,$0B               ; prefixIgnored = DEC BC
        DB $DD,$0C               ; prefixIgnored = INC C
        DB $DD,$0D               ; prefixIgnored = DEC C
        DB $DD,$0E,$A5           ; prefixIgnored = LD C,$A5
        DB $DD,$0F               ; prefixIgnored = RRCA
        DB $DD,$10,$20           ; conditionalJump prefixIgnored = DJNZ $059E
        DB $DD,$11,$34,$12       ; prefixIgnored = LD DE,$1234
        DB $DD,$12               ; prefixIgnored = LD (DE),A
        DB $DD,$13               ; prefixIgnored = INC DE
        DB $DD,$14               ; prefixIgnored = INC D
        DB $DD,$15               ; prefixIgnored = DEC D
        DB $DD,$16,$A5           ; prefixIgnored = LD D,$A5
        DB $DD,$17               ; prefixIgnored = RLA
        DB $DD,$18,$20           ; jump prefixIgnored = JR $05B2
        ADD IX,DE
        DB $DD,$1A               ; prefixIgnored = LD A,(DE)
        DB $DD,$1B               ; prefixIgnored = DEC DE
        DB $DD,$1C               ; prefixIgnored = INC E
        DB $DD,$1D               ; prefixIgnored = DEC E
        DB $DD,$1E,$A5           ; prefixIgnored = LD E,$A5
        DB $DD,$1F               ; prefixIgnored = RRA
        DB $DD,$20,$20           ; conditionalJump prefixIgnored = JR NZ,$05C4
        LD IX,$1234
        LD ($BEEF),IX
        INC IX
        DB $DD,$24               ; = INC IXH
        DB $DD,$25               ; = DEC IXH
        LD IXH,$A5
        DB $DD,$27               ; prefixIgnored = DAA
        DB $DD,$28,$20           ; conditionalJump prefixIgnored = JR Z,$05DA
        ADD IX,IX
        LD IX,($BEEF)
        DEC IX
        DB $DD,$2C               ; = INC IXL
        DB $DD,$2D               ; = DEC IXL
        LD IXL,$A5
        DB $DD,$2F               ; prefixIgnored = CPL
        DB $DD,$30,$20           ; conditionalJump prefixIgnored = JR NC,$05EE
        DB $DD,$31,$34,$12       ; prefixIgnored = LD SP,$1234
        DB $DD,$32,$EF,$BE       ; prefixIgnored = LD ($BEEF),A
        DB $DD,$33               ; prefixIgnored = INC SP
        INC (IX+$00)
        DEC (IX-$01)
        LD (IX+$05),$A5
        DB $DD,$37               ; prefixIgnored = SCF
        DB $DD,$38,$20           ; conditionalJump prefixIgnored = JR C,$0607
        ADD IX,SP
        DB $DD,$3A,$EF,$BE       ; prefixIgnored = LD A,($BEEF)
        DB $DD,$3B               ; prefixIgnored = DEC SP
        DB $DD,$3C               ; prefixIgnored = INC A
        DB $DD,$3D               ; prefixIgnored = DEC A
        DB $DD,$3E,$A5           ; prefixIgnored = LD A,$A5
        DB $DD,$3F               ; prefixIgnored = CCF
        DB $DD,$40               ; prefixIgnored = LD B,B
        DB $DD,$41               ; prefixIgnored = LD B,C
        DB $DD,$42               ; prefixIgnored = LD B,D
        DB $DD,$43               ; prefixIgnored = LD B,E
        LD B,IXH
        LD B,IXL
        LD B,(IX+$00)
        DB $DD,$47               ; prefixIgnored = LD B,A
        DB $DD,$48               ; prefixIgnored = LD C,B
        DB $DD,$49               ; prefixIgnored = LD C,C
        DB $DD,$4A               ; prefixIgnored = LD C,D
        DB $DD,$4B               ; prefixIgnored = LD C,E
        LD C,IXH
        LD C,IXL
        LD C,(IX+$05)
        DB $DD,$4F               ; prefixIgnored = LD C,A
        DB $DD,$50               ; prefixIgnored = LD D,B
        DB $DD,$51               ; prefixIgnored = LD D,C
        DB $DD,$52               ; prefixIgnored = LD D,D
        DB $DD,$53               ; prefixIgnored = LD D,E
        LD D,IXH
        LD D,IXL
        LD D,(IX+$7F)
        DB $DD,$57               ; prefixIgnored = LD D,A
        DB $DD,$58               ; prefixIgnored = LD E,B
        DB $DD,$59               ; prefixIgnored = LD E,C
        DB $DD,$5A               ; prefixIgnored = LD E,D
        DB $DD,$5B               ; prefixIgnored = LD E,E
        LD E,IXH
        LD E,IXL
        LD E,(IX+$00)
        DB $DD,$5F               ; prefixIgnored = LD E,A
        LD IXH,B
        LD IXH,C
        LD IXH,D
        LD IXH,E
        LD IXH,IXH
        LD IXH,IXL
        LD H,(IX+$05)
        LD IXH,A
        LD IXL,B
        LD IXL,C
        LD IXL,D
        LD IXL,E
        LD IXL,IXH
        LD IXL,IXL
        LD L,(IX+$7F)
        LD IXL,A
        LD (IX+$00),B
        LD (IX-$01),C
        LD (IX+$05),D
        LD (IX-$05),E
        LD (IX+$7F),H
        LD (IX-$80),L
        DB $DD,$76               ; halt prefixIgnored = HALT
        LD (IX-$01),A
        DB $DD,$78               ; prefixIgnored = LD A,B
        DB $DD,$79               ; prefixIgnored = LD A,C
        DB $DD,$7A               ; prefixIgnored = LD A,D
        DB $DD,$7B               ; prefixIgnored = LD A,E
        DB $DD,$7C               ; = LD A,IXH
        DB $DD,$7D               ; = LD A,IXL
        LD A,(IX+$05)
        DB $DD,$7F               ; prefixIgnored = LD A,A
        DB $DD,$80               ; prefixIgnored = ADD A,B
        DB $DD,$81               ; prefixIgnored = ADD A,C
        DB $DD,$82               ; prefixIgnored = ADD A,D
        DB $DD,$83               ; prefixIgnored = ADD A,E
        DB $DD,$84               ; = ADD A,IXH
        DB $DD,$85               ; = ADD A,IXL
        ADD A,(IX+$7F)
        DB $DD,$87               ; prefixIgnored = ADD A,A
        DB $DD,$88               ; prefixIgnored = ADC A,B
        DB $DD,$89               ; prefixIgnored = ADC A,C
        DB $DD,$8A               ; prefixIgnored = ADC A,D
        DB $DD,$8B               ; prefixIgnored = ADC A,E
        DB $DD,$8C               ; = ADC A,IXH
        DB $DD,$8D               ; = ADC A,IXL
        ADC A,(IX+$00)
        DB $DD,$8F               ; prefixIgnored = ADC A,A
        DB $DD,$90               ; prefixIgnored = SUB B
        DB $DD,$91               ; prefixIgnored = SUB C
        DB $DD,$92               ; prefixIgnored = SUB D
        DB $DD,$93               ; prefixIgnored = SUB E
        DB $DD,$94               ; = SUB IXH
        DB $DD,$95               ; = SUB IXL
        SUB (IX+$05)
        DB $DD,$97               ; prefixIgnored = SUB A
        DB $DD,$98               ; prefixIgnored = SBC A,B
        DB $DD,$99               ; prefixIgnored = SBC A,C
        DB $DD,$9A               ; prefixIgnored = SBC A,D
        DB $DD,$9B               ; prefixIgnored = SBC A,E
        DB $DD,$9C               ; = SBC A,IXH
        DB $DD,$9D               ; = SBC A,IXL
        SBC A,(IX+$7F)
        DB $DD,$9F               ; prefixIgnored = SBC A,A
        DB $DD,$A0               ; prefixIgnored = AND B
        DB $DD,$A1               ; prefixIgnored = AND C
        DB $DD,$A2               ; prefixIgnored = AND D
        DB $DD,$A3               ; prefixIgnored = AND E
        DB $DD,$A4               ; = AND IXH
        DB $DD,$A5               ; = AND IXL
        AND (IX+$00)
        DB $DD,$A7               ; prefixIgnored = AND A
        DB $DD,$A8               ; prefixIgnored = XOR B
        DB $DD,$A9               ; prefixIgnored = XOR C
        DB $DD,$AA               ; prefixIgnored = XOR D
        DB $DD,$AB               ; prefixIgnored = XOR E
        DB $DD,$AC               ; = XOR IXH
        DB $DD,$AD               ; = XOR IXL
        XOR (IX+$05)
        DB $DD,$AF               ; prefixIgnored = XOR A
        DB $DD,$B0               ; prefixIgnored = OR B
        DB $DD,$B1               ; prefixIgnored = OR C
        DB $DD,$B2               ; prefixIgnored = OR D
        DB $DD,$B3               ; prefixIgnored = OR E
        DB $DD,$B4               ; = OR IXH
        DB $DD,$B5               ; = OR IXL
        OR (IX+$7F)
        DB $DD,$B7               ; prefixIgnored = OR A
        DB $DD,$B8               ; prefixIgnored = CP B
        DB $DD,$B9               ; prefixIgnored = CP C
        DB $DD,$BA               ; prefixIgnored = CP D
        DB $DD,$BB               ; prefixIgnored = CP E
        DB $DD,$BC               ; = CP IXH
        DB $DD,$BD               ; = CP IXL
        CP (IX+$00)
        DB $DD,$BF               ; prefixIgnored = CP A
        DB $DD,$C0               ; conditionalRet prefixIgnored = RET NZ
        DB $DD,$C1               ; prefixIgnored = POP BC
        DB $DD,$C2,$34,$12       ; conditionalJump prefixIgnored = JP NZ,$1234
        DB $DD,$C3,$34,$12       ; jump prefixIgnored = JP $1234
        DB $DD,$C4,$34,$12       ; conditionalCall prefixIgnored = CALL NZ,$1234
        DB $DD,$C5               ; prefixIgnored = PUSH BC
        DB $DD,$C6,$A5           ; prefixIgnored = ADD A,$A5
        DB $DD,$C7               ; rst prefixIgnored = RST $00
        DB $DD,$C8               ; conditionalRet prefixIgnored = RET Z
        DB $DD,$C9               ; ret prefixIgnored = RET
        DB $DD,$CA,$34,$12       ; conditionalJump prefixIgnored = JP Z,$1234
        DB $DD,$CC,$34,$12       ; conditionalCall prefixIgnored = CALL Z,$1234
        DB $DD,$CD,$34,$12       ; call prefixIgnored = CALL $1234
        DB $DD,$CE,$A5           ; prefixIgnored = ADC A,$A5
        DB $DD,$CF               ; rst prefixIgnored = RST $08
        DB $DD,$D0               ; conditionalRet prefixIgnored = RET NC
        DB $DD,$D1               ; prefixIgnored = POP DE
        DB $DD,$D2,$34,$12       ; conditionalJump prefixIgnored = JP NC,$1234
        DB $DD,$D3,$A5           ; prefixIgnored = OUT ($A5),A
        DB $DD,$D4,$34,$12       ; conditionalCall prefixIgnored = CALL NC,$1234
        DB $DD,$D5               ; prefixIgnored = PUSH DE
        DB $DD,$D6,$A5           ; prefixIgnored = SUB $A5
        DB $DD,$D7               ; rst prefixIgnored = RST $10
        DB $DD,$D8               ; conditionalRet prefixIgnored = RET C
        DB $DD,$D9               ; prefixIgnored = EXX
        DB $DD,$DA,$34,$12       ; conditionalJump prefixIgnored = JP C,$1234
        DB $DD,$DB,$A5           ; prefixIgnored = IN A,($A5)
        DB $DD,$DC,$34,$12       ; conditionalCall prefixIgnored = CALL C,$1234
        DB $DD                   ; unrecognised
        LD IX,$1234
        DB $DD,$DE,$A5           ; prefixIgnored = SBC A,$A5
        DB $DD,$DF               ; rst prefixIgnored = RST $18
        DB $DD,$E0               ; conditionalRet prefixIgnored = RET PO
        POP IX
        DB $DD,$E2,$34,$12       ; conditionalJump prefixIgnored = JP PO,$1234
        EX (SP),IX
        DB $DD,$E4,$34,$12       ; conditionalCall prefixIgnored = CALL PO,$1234
        PUSH IX
        DB $DD,$E6,$A5           ; prefixIgnored = AND $A5
        DB $DD,$E7               ; rst prefixIgnored = RST $20
        DB $DD,$E8               ; conditionalRet prefixIgnored = RET PE
        JP (IX)                  ; jumpIndirect
        DB $DD,$EA,$34,$12       ; conditionalJump prefixIgnored = JP PE,$1234
        DB $DD,$EB               ; prefixIgnored = EX DE,HL
        DB $DD,$EC,$34,$12       ; conditionalCall prefixIgnored = CALL PE,$1234
        DB $DD,$ED               ; unrecognised
        DB $DD,$EE,$A5           ; prefixIgnored = XOR $A5
        DB $DD,$EF               ; rst prefixIgnored = RST $28
        DB $DD,$F0               ; conditionalRet prefixIgnored = RET P
        DB $DD,$F1               ; prefixIgnored = POP AF
        DB $DD,$F2,$34,$12       ; conditionalJump prefixIgnored = JP P,$1234
        DB $DD,$F3               ; prefixIgnored = DI
        DB $DD,$F4,$34,$12       ; conditionalCall prefixIgnored = CALL P,$1234
        DB $DD,$F5               ; prefixIgnored = PUSH AF
        DB $DD,$F6,$A5           ; prefixIgnored = OR $A5
        DB $DD,$F7               ; rst prefixIgnored = RST $30
        DB $DD,$F8               ; conditionalRet prefixIgnored = RET M
        LD SP,IX
        DB $DD,$FA,$34,$12       ; conditionalJump prefixIgnored = JP M,$1234
        DB $DD,$FB               ; prefixIgnored = EI
        DB $DD,$FC,$34,$12       ; conditionalCall prefixIgnored = CALL M,$1234
        DB $DD                   ; unrecognised
        LD IY,$1234
        DB $DD,$FE,$A5           ; prefixIgnored = CP $A5
        DB $DD,$FF               ; rst prefixIgnored = RST $38

; IX bit page
        DB $DD,$CB,$05,$00       ; unrecognised
        DB $DD,$CB,$FB,$01       ; unrecognised
        DB $DD,$CB,$7F,$02       ; unrecognised
        DB $DD,$CB,$80,$03       ; unrecognised
        DB $DD,$CB,$00,$04       ; unrecognised
        DB $DD,$CB,$05,$05       ; unrecognised
        RLC (IX-$05)
        DB $DD,$CB,$7F,$07       ; unrecognised
        DB $DD,$CB,$80,$08       ; unrecognised
        DB $DD,$CB,$00,$09       ; unrecognised
        DB $DD,$CB,$05,$0A       ; unrecognised
        DB $DD,$CB,$FB,$0B       ; unrecognised
        DB $DD,$CB,$7F,$0C       ; unrecognised
        DB $DD,$CB,$80,$0D       ; unrecognised
        RRC (IX+$00)
        DB $DD,$CB,$05,$0F       ; unrecognised
        DB $DD,$CB,$FB,$10       ; unrecognised
        DB $DD,$CB,$7F,$11       ; unrecognised
        DB $DD,$CB,$80,$12       ; unrecognised
        DB $DD,$CB,$00,$13       ; unrecognised
        DB $DD,$CB,$05,$14       ; unrecognised
        DB $DD,$CB,$FB,$15       ; unrecognised
        RL (IX+$7F)
        DB $DD,$CB,$80,$17       ; unrecognised
        DB $DD,$CB,$00,$18       ; unrecognised
        DB $DD,$CB,$05,$19       ; unrecognised
        DB $DD,$CB,$FB,$1A       ; unrecognised
        DB $DD,$CB,$7F,$1B       ; unrecognised
        DB $DD,$CB,$80,$1C       ; unrecognised
        DB $DD,$CB,$00,$1D       ; unrecognised
        RR (IX+$05)
        DB $DD,$CB,$FB,$1F       ; unrecognised
        DB $DD,$CB,$7F,$20       ; unrecognised
        DB $DD,$CB,$80,$21       ; unrecognised
        DB $DD,$CB,$00,$22       ; unrecognised
        DB $DD,$CB,$05,$23       ; unrecognised
        DB $DD,$CB,$FB,$24       ; unrecognised
        DB $DD,$CB,$7F,$25       ; unrecognised
        SLA (IX-$80)
        DB $DD,$CB,$00,$27       ; unrecognised
        DB $DD,$CB,$05,$28       ; unrecognised
        DB $DD,$CB,$FB,$29       ; unrecognised
        DB $DD,$CB,$7F,$2A       ; unrecognised
        DB $DD,$CB,$80,$2B       ; unrecognised
        DB $DD,$CB,$00,$2C       ; unrecognised
        DB $DD,$CB,$05,$2D       ; unrecognised
        SRA (IX-$05)
        DB $DD,$CB,$7F,$2F       ; unrecognised
        DB $DD,$CB,$80,$30       ; unrecognised
        DB $DD,$CB,$00,$31       ; unrecognised
        DB $DD,$CB,$05,$32       ; unrecognised
        DB $DD,$CB,$FB,$33       ; unrecognised
        DB $DD,$CB,$7F,$34       ; unrecognised
        DB $DD,$CB,$80,$35       ; unrecognised
        DB $DD,$CB,$00,$36       ; = SLL (IX+$00)
        DB $DD,$CB,$05,$37       ; unrecognised
        DB $DD,$CB,$FB,$38       ; unrecognised
        DB $DD,$CB,$7F,$39       ; unrecognised
        DB $DD,$CB,$80,$3A       ; unrecognised
        DB $DD,$CB,$00,$3B       ; unrecognised
        DB $DD,$CB,$05,$3C       ; unrecognised
        DB $DD,$CB,$FB,$3D       ; unrecognised
        SRL (IX+$7F)
        DB $DD,$CB,$80,$3F       ; unrecognised
        DB $DD,$CB,$00,$40       ; = BIT 0,(IX+$00)
        DB $DD,$CB,$05,$41       ; = BIT 0,(IX+$05)
        DB $DD,$CB,$FB,$42       ; = BIT 0,(IX-$05)
        DB $DD,$CB,$7F,$43       ; = BIT 0,(IX+$7F)
        DB $DD,$CB,$80,$44       ; = BIT 0,(IX-$80)
        DB $DD,$CB,$00,$45       ; = BIT 0,(IX+$00)
        BIT 0,(IX+$05)
        DB $DD,$CB,$FB,$47       ; = BIT 0,(IX-$05)
        DB $DD,$CB,$7F,$48       ; = BIT 1,(IX+$7F)
        DB $DD,$CB,$80,$49       ; = BIT 1,(IX-$80)
        DB $DD,$CB,$00,$4A       ; = BIT 1,(IX+$00)
        DB $DD,$CB,$05,$4B       ; = BIT 1,(IX+$05)
        DB $DD,$CB,$FB,$4C       ; = BIT 1,(IX-$05)
        DB $DD,$CB,$7F,$4D       ; = BIT 1,(IX+$7F)
        BIT 1,(IX-$80)
        DB $DD,$CB,$00,$4F       ; = BIT 1,(IX+$00)
        DB $DD,$CB,$05,$50       ; = BIT 2,(IX+$05)
        DB $DD,$CB,$FB,$51       ; = BIT 2,(IX-$05)
        DB $DD,$CB,$7F,$52       ; = BIT 2,(IX+$7F)
        DB $DD,$CB,$80,$53       ; = BIT 2,(IX-$80)
        DB $DD,$CB,$00,$54       ; = BIT 2,(IX+$00)
        DB $DD,$CB,$05,$55       ; = BIT 2,(IX+$05)
        BIT 2,(IX-$05)
        DB $DD,$CB,$7F,$57       ; = BIT 2,(IX+$7F)
        DB $DD,$CB,$80,$58       ; = BIT 3,(IX-$80)
        DB $DD,$CB,$00,$59       ; = BIT 3,(IX+$00)
        DB $DD,$CB,$05,$5A       ; = BIT 3,(IX+$05)
        DB $DD,$CB,$FB,$5B       ; = BIT 3,(IX-$05)
        DB $DD,$CB,$7F,$5C       ; = BIT 3,(IX+$7F)
        DB $DD,$CB,$80,$5D       ; = BIT 3,(IX-$80)
        BIT 3,(IX+$00)
        DB $DD,$CB,$05,$5F       ; = BIT 3,(IX+$05)
        DB $DD,$CB,$FB,$60       ; = BIT 4,(IX-$05)
        DB $DD,$CB,$7F,$61       ; = BIT 4,(IX+$7F)
        DB $DD,$CB,$80,$62       ; = BIT 4,(IX-$80)
        DB $DD,$CB,$00,$63       ; = BIT 4,(IX+$00)
        DB $DD,$CB,$05,$64       ; = BIT 4,(IX+$05)
        DB $DD,$CB,$FB,$65       ; = BIT 4,(IX-$05)
        BIT 4,(IX+$7F)
        DB $DD,$CB,$80,$67       ; = BIT 4,(IX-$80)
        DB $DD,$CB,$00,$68       ; = BIT 5,(IX+$00)
        DB $DD,$CB,$05,$69       ; = BIT 5,(IX+$05)
        DB $DD,$CB,$FB,$6A       ; = BIT 5,(IX-$05)
        DB $DD,$CB,$7F,$6B       ; = BIT 5,(IX+$7F)
        DB $DD,$CB,$80,$6C       ; = BIT 5,(IX-$80)
        DB $DD,$CB,$00,$6D       ; = BIT 5,(IX+$00)
        BIT 5,(IX+$05)
        DB $DD,$CB,$FB,$6F       ; = BIT 5,(IX-$05)
        DB $DD,$CB,$7F,$70       ; = BIT 6,(IX+$7F)
        DB $DD,$CB,$80,$71       ; = BIT 6,(IX-$80)
        DB $DD,$CB,$00,$72       ; = BIT 6,(IX+$00)
        DB $DD,$CB,$05,$73       ; = BIT 6,(IX+$05)
        DB $DD,$CB,$FB,$74       ; = BIT 6,(IX-$05)
        DB $DD,$CB,$7F,$75       ; = BIT 6,(IX+$7F)
        BIT 6,(IX-$80)
        DB $DD,$CB,$00,$77       ; = BIT 6,(IX+$00)
        DB $DD,$CB,$05,$78       ; = BIT 7,(IX+$05)
        DB $DD,$CB,$FB,$79       ; = BIT 7,(IX-$05)
        DB $DD,$CB,$7F,$7A       ; = BIT 7,(IX+$7F)
        DB $DD,$CB,$80,$7B       ; = BIT 7,(IX-$80)
        DB $DD,$CB,$00,$7C       ; = BIT 7,(IX+$00)
        DB $DD,$CB,$05,$7D       ; = BIT 7,(IX+$05)
        BIT 7,(IX-$05)
        DB $DD,$CB,$7F,$7F       ; = BIT 7,(IX+$7F)
        DB $DD,$CB,$80,$80       ; unrecognised
        DB $DD,$CB,$00,$81       ; unrecognised
        DB $DD,$CB,$05,$82       ; unrecognised
        DB $DD,$CB,$FB,$83       ; unrecognised
        DB $DD,$CB,$7F,$84       ; unrecognised
        DB $DD,$CB,$80,$85       ; unrecognised
        RES 0,(IX+$00)
        DB $DD,$CB,$05,$87       ; unrecognised
        DB $DD,$CB,$FB,$88       ; unrecognised
        DB $DD,$CB,$7F,$89       ; unrecognised
        DB $DD,$CB,$80,$8A       ; unrecognised
        DB $DD,$CB,$00,$8B       ; unrecognised
        DB $DD,$CB,$05,$8C       ; unrecognised
        DB $DD,$CB,$FB,$8D       ; unrecognised
        RES 1,(IX+$7F)
        DB $DD,$CB,$80,$8F       ; unrecognised
        DB $DD,$CB,$00,$90       ; unrecognised
        DB $DD,$CB,$05,$91       ; unrecognised
        DB $DD,$CB,$FB,$92       ; unrecognised
        DB $DD,$CB,$7F,$93       ; unrecognised
        DB $DD,$CB,$80,$94       ; unrecognised
        DB $DD,$CB,$00,$95       ; unrecognised
        RES 2,(IX+$05)
        DB $DD,$CB,$FB,$97       ; unrecognised
        DB $DD,$CB,$7F,$98       ; unrecognised
        DB $DD,$CB,$80,$99       ; unrecognised
        DB $DD,$CB,$00,$9A       ; unrecognised
        DB $DD,$CB,$05,$9B       ; unrecognised
        DB $DD,$CB,$FB,$9C       ; unrecognised
        DB $DD,$CB,$7F,$9D       ; unrecognised
        RES 3,(IX-$80)
        DB $DD,$CB,$00,$9F       ; unrecognised
        DB $DD,$CB,$05,$A0       ; unrecognised
        DB $DD,$CB,$FB,$A1       ; unrecognised
        DB $DD,$CB,$7F,$A2       ; unrecognised
        DB $DD,$CB,$80,$A3       ; unrecognised
        DB $DD,$CB,$00,$A4       ; unrecognised
        DB $DD,$CB,$05,$A5       ; unrecognised
        RES 4,(IX-$05)
        DB $DD,$CB,$7F,$A7       ; unrecognised
        DB $DD,$CB,$80,$A8       ; unrecognised
        DB $DD,$CB,$00,$A9       ; unrecognised
        DB $DD,$CB,$05,$AA       ; unrecognised
        DB $DD,$CB,$FB,$AB       ; unrecognised
        DB $DD,$CB,$7F,$AC       ; unrecognised
        DB $DD,$CB,$80,$AD       ; unrecognised
        RES 5,(IX+$00)
        DB $DD,$CB,$05,$AF       ; unrecognised
        DB $DD,$CB,$FB,$B0       ; unrecognised
        DB $DD,$CB,$7F,$B1       ; unrecognised
        DB $DD,$CB,$80,$B2       ; unrecognised
        DB $DD,$CB,$00,$B3       ; unrecognised
        DB $DD,$CB,$05,$B4       ; unrecognised
        DB $DD,$CB,$FB,$B5       ; unrecognised
        RES 6,(IX+$7F)
        DB $DD,$CB,$80,$B7       ; unrecognised
        DB $DD,$CB,$00,$B8       ; unrecognised
        DB $DD,$CB,$05,$B9       ; unrecognised
        DB $DD,$CB,$FB,$BA       ; unrecognised
        DB $DD,$CB,$7F,$BB       ; unrecognised
        DB $DD,$CB,$80,$BC       ; unrecognised
        DB $DD,$CB,$00,$BD       ; unrecognised
        RES 7,(IX+$05)
        DB $DD,$CB,$FB,$BF       ; unrecognised
        DB $DD,$CB,$7F,$C0       ; unrecognised
        DB $DD,$CB,$80,$C1       ; unrecognised
        DB $DD,$CB,$00,$C2       ; unrecognised
        DB $DD,$CB,$05,$C3       ; unrecognised
        DB $DD,$CB,$FB,$C4       ; unrecognised
        DB $DD,$CB,$7F,$C5       ; unrecognised
        SET 0,(IX-$80)
        DB $DD,$CB,$00,$C7       ; unrecognised
        DB $DD,$CB,$05,$C8       ; unrecognised
        DB $DD,$CB,$FB,$C9       ; unrecognised
        DB $DD,$CB,$7F,$CA       ; unrecognised
        DB $DD,$CB,$80,$CB       ; unrecognised
        DB $DD,$CB,$00,$CC       ; unrecognised
        DB $DD,$CB,$05,$CD       ; unrecognised
        SET 1,(IX-$05)
        DB $DD,$CB,$7F,$CF       ; unrecognised
        DB $DD,$CB,$80,$D0       ; unrecognised
        DB $DD,$CB,$00,$D1       ; unrecognised
        DB $DD,$CB,$05,$D2       ; unrecognised
        DB $DD,$CB,$FB,$D3       ; unrecognised
        DB $DD,$CB,$7F,$D4       ; unrecognised
        DB $DD,$CB,$80,$D5       ; unrecognised
        SET 2,(IX+$00)
        DB $DD,$CB,$05,$D7       ; unrecognised
        DB $DD,$CB,$FB,$D8       ; unrecognised
        DB $DD,$CB,$7F,$D9       ; unrecognised
        DB $DD,$CB,$80,$DA       ; unrecognised
        DB $DD,$CB,$00,$DB       ; unrecognised
        DB $DD,$CB,$05,$DC       ; unrecognised
        DB $DD,$CB,$FB,$DD       ; unrecognised
        SET 3,(IX+$7F)
        DB $DD,$CB,$80,$DF       ; unrecognised
        DB $DD,$CB,$00,$E0       ; unrecognised
        DB $DD,$CB,$05,$E1       ; unrecognised
        DB $DD,$CB,$FB,$E2       ; unrecognised
        DB $DD,$CB,$7F,$E3       ; unrecognised
        DB $DD,$CB,$80,$E4       ; unrecognised
        DB $DD,$CB,$00,$E5       ; unrecognised
        SET 4,(IX+$05)
        DB $DD,$CB,$FB,$E7       ; unrecognised
        DB $DD,$CB,$7F,$E8       ; unrecognised
        DB $DD,$CB,$80,$E9       ; unrecognised
        DB $DD,$CB,$00,$EA       ; unrecognised
        DB $DD,$CB,$05,$EB       ; unrecognised
        DB $DD,$CB,$FB,$EC       ; unrecognised
        DB $DD,$CB,$7F,$ED       ; unrecognised
        SET 5,(IX-$80)
        DB $DD,$CB,$00,$EF       ; unrecognised
        DB $DD,$CB,$05,$F0       ; unrecognised
        DB $DD,$CB,$FB,$F1       ; unrecognised
        DB $DD,$CB,$7F,$F2       ; unrecognised
        DB $DD,$CB,$80,$F3       ; unrecognised
        DB $DD,$CB,$00,$F4       ; unrecognised
        DB $DD,$CB,$05,$F5       ; unrecognised
        SET 6,(IX-$05)
        DB $DD,$CB,$7F,$F7       ; unrecognised
        DB $DD,$CB,$80,$F8       ; unrecognised
        DB $DD,$CB,$00,$F9       ; unrecognised
        DB $DD,$CB,$05,$FA       ; unrecognised
        DB $DD,$CB,$FB,$FB       ; unrecognised
        DB $DD,$CB,$7F,$FC       ; unrecognised
        DB $DD,$CB,$80,$FD       ; unrecognised
        SET 7,(IX+$00)
        DB $DD,$CB,$05,$FF       ; unrecognised

; IY page
        DB $FD,$00               ; prefixIgnored = NOP
        DB $FD,$01,$34,$12       ; prefixIgnored = LD BC,$1234
        DB $FD,$02               ; prefixIgnored = LD (BC),A
        DB $FD,$03               ; prefixIgnored = INC BC
        DB $FD,$04               ; prefixIgnored = INC B
        DB $FD,$05               ; prefixIgnored = DEC B
        DB $FD,$06,$A5           ; prefixIgnored = LD B,$A5
        DB $FD,$07               ; prefixIgnored = RLCA
        DB $FD,$08               ; prefixIgnored = EX AF,AF'
        ADD IY,BC
        DB $FD,$0A               ; prefixIgnored = LD A,(BC)
        DB $FD,$0B               ; prefixIgnored = DEC BC
        DB $FD,$0C               ; prefixIgnored = INC C
        DB $FD,$0D               ; prefixIgnored = DEC C
        DB $FD,$0E,$A5           ; prefixIgnored = LD C,$A5
        DB $FD,$0F               ; prefixIgnored = RRCA
        DB $FD,$10,$20           ; conditionalJump prefixIgnored = DJNZ $0C07
        DB $FD,$11,$34,$12       ; prefixIgnored = LD DE,$1234
        DB $FD,$12               ; prefixIgnored = LD (DE),A
        DB $FD,$13               ; prefixIgnored = INC DE
        DB $FD,$14               ; prefixIgnored = INC D
        DB $FD,$15               ; prefixIgnored = DEC D
        DB $FD,$16,$A5           ; prefixIgnored = LD D,$A5
        DB $FD,$17               ; prefixIgnored = RLA
        DB $FD,$18,$20           ; jump prefixIgnored = JR $0C1B
        ADD IY,DE
        DB $FD,$1A               ; prefixIgnored = LD A,(DE)
        DB $FD,$1B               ; prefixIgnored = DEC DE
        DB $FD,$1C               ; prefixIgnored = INC E
        DB $FD,$1D               ; prefixIgnored = DEC E
        DB $FD,$1E,$A5           ; prefixIgnored = LD E,$A5
        DB $FD,$1F               ; prefixIgnored = RRA
        DB $FD,$20,$20           ; conditionalJump prefixIgnored = JR NZ,$0C2D
        LD IY,$1234
        LD ($BEEF),IY
        INC IY
        DB $FD,$24               ; = INC IYH
        DB $FD,$25               ; = DEC IYH
        LD IYH,$A5
        DB $FD,$27               ; prefixIgnored = DAA
        DB $FD,$28,$20           ; conditionalJump prefixIgnored = JR Z,$0C43
        ADD IY,IY
        LD IY,($BEEF)
        DEC IY
        DB $FD,$2C               ; = INC IYL
        DB $FD,$2D               ; = DEC IYL
        LD IYL,$A5
        DB $FD,$2F               ; prefixIgnored = CPL
        DB $FD,$30,$20           ; conditionalJump prefixIgnored = JR NC,$0C57
        DB $FD,$31,$34,$12       ; prefixIgnored = LD SP,$1234
        DB $FD,$32,$EF,$BE       ; prefixIgnored = LD ($BEEF),A
        DB $FD,$33               ; prefixIgnored = INC SP
        INC (IY+$00)
        DEC (IY-$01)
        LD (IY+$05),$A5
        DB $FD,$37               ; prefixIgnored = SCF
        DB $FD,$38,$20           ; conditionalJump prefixIgnored = JR C,$0C70
        ADD IY,SP
        DB $FD,$3A,$EF,$BE       ; prefixIgnored = LD A,($BEEF)
        DB $FD,$3B               ; prefixIgnored = DEC SP
        DB $FD,$3C               ; prefixIgnored = INC A
        DB $FD,$3D               ; prefixIgnored = DEC A
        DB $FD,$3E,$A5           ; prefixIgnored = LD A,$A5
        DB $FD,$3F               ; prefixIgnored = CCF
        DB $FD,$40               ; prefixIgnored = LD B,B
        DB $FD,$41               ; prefixIgnored = LD B,C
        DB $FD,$42               ; prefixIgnored = LD B,D
        DB $FD,$43               ; prefixIgnored = LD B,E
        LD B,IYH
        LD B,IYL
        LD B,(IY+$00)
        DB $FD,$47               ; prefixIgnored = LD B,A
        DB $FD,$48               ; prefixIgnored = LD C,B
        DB $FD,$49               ; prefixIgnored = LD C,C
        DB $FD,$4A               ; prefixIgnored = LD C,D
        DB $FD,$4B               ; prefixIgnored = LD C,E
        LD C,IYH
        LD C,IYL
        LD C,(IY+$05)
        DB $FD,$4F               ; prefixIgnored = LD C,A
        DB $FD,$50               ; prefixIgnored = LD D,B
        DB $FD,$51               ; prefixIgnored = LD D,C
        DB $FD,$52               ; prefixIgnored = LD D,D
        DB $FD,$53               ; prefixIgnored = LD D,E
        LD D,IYH
        LD D,IYL
        LD D,(IY+$7F)
        DB $FD,$57               ; prefixIgnored = LD D,A
        DB $FD,$58               ; prefixIgnored = LD E,B
        DB $FD,$59               ; prefixIgnored = LD E,C
        DB $FD,$5A               ; prefixIgnored = LD E,D
        DB $FD,$5B               ; prefixIgnored = LD E,E
        LD E,IYH
        LD E,IYL
        LD E,(IY+$00)
        DB $FD,$5F               ; prefixIgnored = LD E,A
        LD IYH,B
        LD IYH,C
        LD IYH,D
        LD IYH,E
        LD IYH,IYH
        LD IYH,IYL
        LD H,(IY+$05)
        LD IYH,A
        LD IYL,B
        LD IYL,C
        LD IYL,D
        LD IYL,E
        LD IYL,IYH
        LD IYL,IYL
        LD L,(IY+$7F)
        LD IYL,A
        LD (IY+$00),B
        LD (IY-$01),C
        LD (IY+$05),D
        LD (IY-$05),E
        LD (IY+$7F),H
        LD (IY-$80),L
        DB $FD,$76               ; halt prefixIgnored = HALT
        LD (IY-$01),A
        DB $FD,$78               ; prefixIgnored = LD A,B
        DB $FD,$79               ; prefixIgnored = LD A,C
        DB $FD,$7A               ; prefixIgnored = LD A,D
        DB $FD,$7B               ; prefixIgnored = LD A,E
        DB $FD,$7C               ; = LD A,IYH
        DB $FD,$7D               ; = LD A,IYL
        LD A,(IY+$05)
        DB $FD,$7F               ; prefixIgnored = LD A,A
        DB $FD,$80               ; prefixIgnored = ADD A,B
        DB $FD,$81               ; prefixIgnored = ADD A,C
        DB $FD,$82               ; prefixIgnored = ADD A,D
        DB $FD,$83               ; prefixIgnored = ADD A,E
        DB $FD,$84               ; = ADD A,IYH
        DB $FD,$85               ; = ADD A,IYL
        ADD A,(IY+$7F)
        DB $FD,$87               ; prefixIgnored = ADD A,A
        DB $FD,$88               ; prefixIgnored = ADC A,B
        DB $FD,$89               ; prefixIgnored = ADC A,C
        DB $FD,$8A               ; prefixIgnored = ADC A,D
        DB $FD,$8B               ; prefixIgnored = ADC A,E
        DB $FD,$8C               ; = ADC A,IYH
        DB $FD,$8D               ; = ADC A,IYL
        ADC A,(IY+$00)
        DB $FD,$8F               ; prefixIgnored = ADC A,A
        DB $FD,$90               ; prefixIgnored = SUB B
        DB $FD,$91               ; prefixIgnored = SUB C
        DB $FD,$92               ; prefixIgnored = SUB D
        DB $FD,$93               ; prefixIgnored = SUB E
        DB $FD,$94               ; = SUB IYH
        DB $FD,$95               ; = SUB IYL
        SUB (IY+$05)
        DB $FD,$97               ; prefixIgnored = SUB A
        DB $FD,$98               ; prefixIgnored = SBC A,B
        DB $FD,$99               ; prefixIgnored = SBC A,C
        DB $FD,$9A               ; prefixIgnored = SBC A,D
        DB $FD,$9B               ; prefixIgnored = SBC A,E
        DB $FD,$9C               ; = SBC A,IYH
        DB $FD,$9D               ; = SBC A,IYL
        SBC A,(IY+$7F)
        DB $FD,$9F               ; prefixIgnored = SBC A,A
        DB $FD,$A0               ; prefixIgnored = AND B
        DB $FD,$A1               ; prefixIgnored = AND C
        DB $FD,$A2               ; prefixIgnored = AND D
        DB $FD,$A3               ; prefixIgnored = AND E
        DB $FD,$A4               ; = AND IYH
        DB $FD,$A5               ; = AND IYL
        AND (IY+$00)
        DB $FD,$A7               ; prefixIgnored = AND A
        DB $FD,$A8               ; prefixIgnored = XOR B
        DB $FD,$A9               ; prefixIgnored = XOR C
        DB $FD,$AA               ; prefixIgnored = XOR D
        DB $FD,$AB               ; prefixIgnored = XOR E
        DB $FD,$AC               ; = XOR IYH
        DB $FD,$AD               ; = XOR IYL
        XOR (IY+$05)
        DB $FD,$AF               ; prefixIgnored = XOR A
        DB $FD,$B0               ; prefixIgnored = OR B
        DB $FD,$B1               ; prefixIgnored = OR C
        DB $FD,$B2               ; prefixIgnored = OR D
        DB $FD,$B3               ; prefixIgnored = OR E
        DB $FD,$B4               ; = OR IYH
        DB $FD,$B5               ; = OR IYL
        OR (IY+$7F)
        DB $FD,$B7               ; prefixIgnored = OR A
        DB $FD,$B8               ; prefixIgnored = CP B
        DB $FD,$B9               ; prefixIgnored = CP C
        DB $FD,$BA               ; prefixIgnored = CP D
        DB $FD,$BB               ; prefixIgnored = CP E
        DB $FD,$BC               ; = CP IYH
        DB $FD,$BD               ; = CP IYL
        CP (IY+$00)
        DB $FD,$BF               ; prefixIgnored = CP A
        DB $FD,$C0               ; conditionalRet prefixIgnored = RET NZ
        DB $FD,$C1               ; prefixIgnored = POP BC
        DB $FD,$C2,$34,$12       ; conditionalJump prefixIgnored = JP NZ,$1234
        DB $FD,$C3,$34,$12       ; jump prefixIgnored = JP $1234
        DB $FD,$C4,$34,$12       ; conditionalCall prefixIgnored = CALL NZ,$1234
        DB $FD,$C5               ; prefixIgnored = PUSH BC
        DB $FD,$C6,$A5           ; prefixIgnored = ADD A,$A5
        DB $FD,$C7               ; rst prefixIgnored = RST $00
        DB $FD,$C8               ; conditionalRet prefixIgnored = RET Z
        DB $FD,$C9               ; ret prefixIgnored = RET
        DB $FD,$CA,$34,$12       ; conditionalJump prefixIgnored = JP Z,$1234
        DB $FD,$CC,$34,$12       ; conditionalCall prefixIgnored = CALL Z,$1234
        DB $FD,$CD,$34,$12       ; call prefixIgnored = CALL $1234
        DB $FD,$CE,$A5           ; prefixIgnored = ADC A,$A5
        DB $FD,$CF               ; rst prefixIgnored = RST $08
        DB $FD,$D0               ; conditionalRet prefixIgnored = RET NC
        DB $FD,$D1               ; prefixIgnored = POP DE
        DB $FD,$D2,$34,$12       ; conditionalJump prefixIgnored = JP NC,$1234
        DB $FD,$D3,$A5           ; prefixIgnored = OUT ($A5),A
        DB $FD,$D4,$34,$12       ; conditionalCall prefixIgnored = CALL NC,$1234
        DB $FD,$D5               ; prefixIgnored = PUSH DE
        DB $FD,$D6,$A5           ; prefixIgnored = SUB $A5
        DB $FD,$D7               ; rst prefixIgnored = RST $10
        DB $FD,$D8               ; conditionalRet prefixIgnored = RET C
        DB $FD,$D9               ; prefixIgnored = EXX
        DB $FD,$DA,$34,$12       ; conditionalJump prefixIgnored = JP C,$1234
        DB $FD,$DB,$A5           ; prefixIgnored = IN A,($A5)
        DB $FD,$DC,$34,$12       ; conditionalCall prefixIgnored = CALL C,$1234
        DB $FD                   ; unrecognised
        LD IX,$1234
        DB $FD,$DE,$A5           ; prefixIgnored = SBC A,$A5
        DB $FD,$DF               ; rst prefixIgnored = RST $18
        DB $FD,$E0               ; conditionalRet prefixIgnored = RET PO
        POP IY
        DB $FD,$E2,$34,$12       ; conditionalJump prefixIgnored = JP PO,$1234
        EX (SP),IY
        DB $FD,$E4,$34,$12       ; conditionalCall prefixIgnored = CALL PO,$1234
        PUSH IY
        DB $FD,$E6,$A5           ; prefixIgnored = AND $A5
        DB $FD,$E7               ; rst prefixIgnored = RST $20
        DB $FD,$E8               ; conditionalRet prefixIgnored = RET PE
        JP (IY)                  ; jumpIndirect
        DB $FD,$EA,$34,$12       ; conditionalJump prefixIgnored = JP PE,$1234
        DB $FD,$EB               ; prefixIgnored = EX DE,HL
        DB $FD,$EC,$34,$12       ; conditionalCall prefixIgnored = CALL PE,$1234
        DB $FD,$ED               ; unrecognised
        DB $FD,$EE,$A5           ; prefixIgnored = XOR $A5
        DB $FD,$EF               ; rst prefixIgnored = RST $28
        DB $FD,$F0               ; conditionalRet prefixIgnored = RET P
        DB $FD,$F1               ; prefixIgnored = POP AF
        DB $FD,$F2,$34,$12       ; conditionalJump prefixIgnored = JP P,$1234
        DB $FD,$F3               ; prefixIgnored = DI
        DB $FD,$F4,$34,$12       ; conditionalCall prefixIgnored = CALL P,$1234
        DB $FD,$F5               ; prefixIgnored = PUSH AF
        DB $FD,$F6,$A5           ; prefixIgnored = OR $A5
        DB $FD,$F7               ; rst prefixIgnored = RST $30
        DB $FD,$F8               ; conditionalRet prefixIgnored = RET M
        LD SP,IY
        DB $FD,$FA,$34,$12       ; conditionalJump prefixIgnored = JP M,$1234
        DB $FD,$FB               ; prefixIgnored = EI
        DB $FD,$FC,$34,$12       ; conditionalCall prefixIgnored = CALL M,$1234
        DB $FD                   ; unrecognised
        LD IY,$1234
        DB $FD,$FE,$A5           ; prefixIgnored = CP $A5
        DB $FD,$FF               ; rst prefixIgnored = RST $38

; IY bit page
        DB $FD,$CB,$05,$00       ; unrecognised
        DB $FD,$CB,$FB,$01       ; unrecognised
        DB $FD,$CB,$7F,$02       ; unrecognised
        DB $FD,$CB,$80,$03       ; unrecognised
        DB $FD,$CB,$00,$04       ; unrecognised
        DB $FD,$CB,$05,$05       ; unrecognised
        RLC (IY-$05)
        DB $FD,$CB,$7F,$07       ; unrecognised
        DB $FD,$CB,$80,$08       ; unrecognised
        DB $FD,$CB,$00,$09       ; unrecognised
        DB $FD,$CB,$05,$0A       ; unrecognised
        DB $FD,$CB,$FB,$0B       ; unrecognised
        DB $FD,$CB,$7F,$0C       ; unrecognised
        DB $FD,$CB,$80,$0D       ; unrecognised
        RRC (IY+$00)
        DB $FD,$CB,$05,$0F       ; unrecognised
        DB $FD,$CB,$FB,$10       ; unrecognised
        DB $FD,$CB,$7F,$11       ; unrecognised
        DB $FD,$CB,$80,$12       ; unrecognised
        DB $FD,$CB,$00,$13       ; unrecognised
        DB $FD,$CB,$05,$14       ; unrecognised
        DB $FD,$CB,$FB,$15       ; unrecognised
        RL (IY+$7F)
        DB $FD,$CB,$80,$17       ; unrecognised
        DB $FD,$CB,$00,$18       ; unrecognised
        DB $FD,$CB,$05,$19       ; unrecognised
        DB $FD,$CB,$FB,$1A       ; unrecognised
        DB $FD,$CB,$7F,$1B       ; unrecognised
        DB $FD,$CB,$80,$1C       ; unrecognised
        DB $FD,$CB,$00,$1D       ; unrecognised
        RR (IY+$05)
        DB $FD,$CB,$FB,$1F       ; unrecognised
        DB $FD,$CB,$7F,$20       ; unrecognised
        DB $FD,$CB,$80,$21       ; unrecognised
        DB $FD,$CB,$00,$22       ; unrecognised
        DB $FD,$CB,$05,$23       ; unrecognised
        DB $FD,$CB,$FB,$24       ; unrecognised
        DB $FD,$CB,$7F,$25       ; unrecognised
        SLA (IY-$80)
        DB $FD,$CB,$00,$27       ; unrecognised
        DB $FD,$CB,$05,$28       ; unrecognised
        DB $FD,$CB,$FB,$29       ; unrecognised
        DB $FD,$CB,$7F,$2A       ; unrecognised
        DB $FD,$CB,$80,$2B       ; unrecognised
        DB $FD,$CB,$00,$2C       ; unrecognised
        DB $FD,$CB,$05,$2D       ; unrecognised
        SRA (IY-$05)
        DB $FD,$CB,$7F,$2F       ; unrecognised
        DB $FD,$CB,$80,$30       ; unrecognised
        DB $FD,$CB,$00,$31       ; unrecognised
        DB $FD,$CB,$05,$32       ; unrecognised
        DB $FD,$CB,$FB,$33       ; unrecognised
        DB $FD,$CB,$7F,$34       ; unrecognised
        DB $FD,$CB,$80,$35       ; unrecognised
        DB $FD,$CB,$00,$36       ; = SLL (IY+$00)
        DB $FD,$CB,$05,$37       ; unrecognised
        DB $FD,$CB,$FB,$38       ; unrecognised
        DB $FD,$CB,$7F,$39       ; unrecognised
        DB $FD,$CB,$80,$3A       ; unrecognised
        DB $FD,$CB,$00,$3B       ; unrecognised
        DB $FD,$CB,$05,$3C       ; unrecognised
        DB $FD,$CB,$FB,$3D       ; unrecognised
        SRL (IY+$7F)
        DB $FD,$CB,$80,$3F       ; unrecognised
        DB $FD,$CB,$00,$40       ; = BIT 0,(IY+$00)
        DB $FD,$CB,$05,$41       ; = BIT 0,(IY+$05)
        DB $FD,$CB,$FB,$42       ; = BIT 0,(IY-$05)
        DB $FD,$CB,$7F,$43       ; = BIT 0,(IY+$7F)
        DB $FD,$CB,$80,$44       ; = BIT 0,(IY-$80)
        DB $FD,$CB,$00,$45       ; = BIT 0,(IY+$00)
        BIT 0,(IY+$05)
        DB $FD,$CB,$FB,$47       ; = BIT 0,(IY-$05)
        DB $FD,$CB,$7F,$48       ; = BIT 1,(IY+$7F)
        DB $FD,$CB,$80,$49       ; = BIT 1,(IY-$80)
        DB $FD,$CB,$00,$4A       ; = BIT 1,(IY+$00)
        DB $FD,$CB,$05,$4B       ; = BIT 1,(IY+$05)
        DB $FD,$CB,$FB,$4C       ; = BIT 1,(IY-$05)
        DB $FD,$CB,$7F,$4D       ; = BIT 1,(IY+$7F)
        BIT 1,(IY-$80)
        DB $FD,$CB,$00,$4F       ; = BIT 1,(IY+$00)
        DB $FD,$CB,$05,$50       ; = BIT 2,(IY+$05)
        DB $FD,$CB,$FB,$51       ; = BIT 2,(IY-$05)
        DB $FD,$CB,$7F,$52       ; = BIT 2,(IY+$7F)
        DB $FD,$CB,$80,$53       ; = BIT 2,(IY-$80)
        DB $FD,$CB,$00,$54       ; = BIT 2,(IY+$00)
        DB $FD,$CB,$05,$55       ; = BIT 2,(IY+$05)
        BIT 2,(IY-$05)
        DB $FD,$CB,$7F,$57       ; = BIT 2,(IY+$7F)
        DB $FD,$CB,$80,$58       ; = BIT 3,(IY-$80)
        DB $FD,$CB,$00,$59       ; = BIT 3,(IY+$00)
        DB $FD,$CB,$05,$5A       ; = BIT 3,(IY+$05)
        DB $FD,$CB,$FB,$5B       ; = BIT 3,(IY-$05)
        DB $FD,$CB,$7F,$5C       ; = BIT 3,(IY+$7F)
        DB $FD,$CB,$80,$5D       ; = BIT 3,(IY-$80)
        BIT 3,(IY+$00)
        DB $FD,$CB,$05,$5F       ; = BIT 3,(IY+$05)
        DB $FD,$CB,$FB,$60       ; = BIT 4,(IY-$05)
        DB $FD,$CB,$7F,$61       ; = BIT 4,(IY+$7F)
        DB $FD,$CB,$80,$62       ; = BIT 4,(IY-$80)
        DB $FD,$CB,$00,$63       ; = BIT 4,(IY+$00)
        DB $FD,$CB,$05,$64       ; = BIT 4,(IY+$05)
        DB $FD,$CB,$FB,$65       ; = BIT 4,(IY-$05)
        BIT 4,(IY+$7F)
        DB $FD,$CB,$80,$67       ; = BIT 4,(IY-$80)
        DB $FD,$CB,$00,$68       ; = BIT 5,(IY+$00)
        DB $FD,$CB,$05,$69       ; = BIT 5,(IY+$05)
        DB $FD,$CB,$FB,$6A       ; = BIT 5,(IY-$05)
        DB $FD,$CB,$7F,$6B       ; = BIT 5,(IY+$7F)
        DB $FD,$CB,$80,$6C       ; = BIT 5,(IY-$80)
        DB $FD,$CB,$00,$6D       ; = BIT 5,(IY+$00)
        BIT 5,(IY+$05)
        DB $FD,$CB,$FB,$6F       ; = BIT 5,(IY-$05)
        DB $FD,$CB,$7F,$70       ; = BIT 6,(IY+$7F)
        DB $FD,$CB,$80,$71       ; = BIT 6,(IY-$80)
        DB $FD,$CB,$00,$72       ; = BIT 6,(IY+$00)
        DB $FD,$CB,$05,$73       ; = BIT 6,(IY+$05)
        DB $FD,$CB,$FB,$74       ; = BIT 6,(IY-$05)
        DB $FD,$CB,$7F,$75       ; = BIT 6,(IY+$7F)
        BIT 6,(IY-$80)
        DB $FD,$CB,$00,$77       ; = BIT 6,(IY+$00)
        DB $FD,$CB,$05,$78       ; = BIT 7,(IY+$05)
        DB $FD,$CB,$FB,$79       ; = BIT 7,(IY-$05)
        DB $FD,$CB,$7F,$7A       ; = BIT 7,(IY+$7F)
        DB $FD,$CB,$80,$7B       ; = BIT 7,(IY-$80)
        DB $FD,$CB,$00,$7C       ; = BIT 7,(IY+$00)
        DB $FD,$CB,$05,$7D       ; = BIT 7,(IY+$05)
        BIT 7,(IY-$05)
        DB $FD,$CB,$7F,$7F       ; = BIT 7,(IY+$7F)
        DB $FD,$CB,$80,$80       ; unrecognised
        DB $FD,$CB,$00,$81       ; unrecognised
        DB $FD,$CB,$05,$82       ; unrecognised
        DB $FD,$CB,$FB,$83       ; unrecognised
        DB $FD,$CB,$7F,$84       ; unrecognised
        DB $FD,$CB,$80,$85       ; unrecognised
        RES 0,(IY+$00)
        DB $FD,$CB,$05,$87       ; unrecognised
        DB $FD,$CB,$FB,$88       ; unrecognised
        DB $FD,$CB,$7F,$89       ; unrecognised
        DB $FD,$CB,$80,$8A       ; unrecognised
        DB $FD,$CB,$00,$8B       ; unrecognised
        DB $FD,$CB,$05,$8C       ; unrecognised
        DB $FD,$CB,$FB,$8D       ; unrecognised
        RES 1,(IY+$7F)
        DB $FD,$CB,$80,$8F       ; unrecognised
        DB $FD,$CB,$00,$90       ; unrecognised
        DB $FD,$CB,$05,$91       ; unrecognised
        DB $FD,$CB,$FB,$92       ; unrecognised
        DB $FD,$CB,$7F,$93       ; unrecognised
        DB $FD,$CB,$80,$94       ; unrecognised
        DB $FD,$CB,$00,$95       ; unrecognised
        RES 2,(IY+$05)
        DB $FD,$CB,$FB,$97       ; unrecognised
        DB $FD,$CB,$7F,$98       ; unrecognised
        DB $FD,$CB,$80,$99       ; unrecognised
        DB $FD,$CB,$00,$9A       ; unrecognised
        DB $FD,$CB,$05,$9B       ; unrecognised
        DB $FD,$CB,$FB,$9C       ; unrecognised
        DB $FD,$CB,$7F,$9D       ; unrecognised
        RES 3,(IY-$80)
        DB $FD,$CB,$00,$9F       ; unrecognised
        DB $FD,$CB,$05,$A0       ; unrecognised
        DB $FD,$CB,$FB,$A1       ; unrecognised
        DB $FD,$CB,$7F,$A2       ; unrecognised
        DB $FD,$CB,$80,$A3       ; unrecognised
        DB $FD,$CB,$00,$A4       ; unrecognised
        DB $FD,$CB,$05,$A5       ; unrecognised
        RES 4,(IY-$05)
        DB $FD,$CB,$7F,$A7       ; unrecognised
        DB $FD,$CB,$80,$A8       ; unrecognised
        DB $FD,$CB,$00,$A9       ; unrecognised
        DB $FD,$CB,$05,$AA       ; unrecognised
        DB $FD,$CB,$FB,$AB       ; unrecognised
        DB $FD,$CB,$7F,$AC       ; unrecognised
        DB $FD,$CB,$80,$AD       ; unrecognised
        RES 5,(IY+$00)
        DB $FD,$CB,$05,$AF       ; unrecognised
        DB $FD,$CB,$FB,$B0       ; unrecognised
        DB $FD,$CB,$7F,$B1       ; unrecognised
        DB $FD,$CB,$80,$B2       ; unrecognised
        DB $FD,$CB,$00,$B3       ; unrecognised
        DB $FD,$CB,$05,$B4       ; unrecognised
        DB $FD,$CB,$FB,$B5       ; unrecognised
        RES 6,(IY+$7F)
        DB $FD,$CB,$80,$B7       ; unrecognised
        DB $FD,$CB,$00,$B8       ; unrecognised
        DB $FD,$CB,$05,$B9       ; unrecognised
        DB $FD,$CB,$FB,$BA       ; unrecognised
        DB $FD,$CB,$7F,$BB       ; unrecognised
        DB $FD,$CB,$80,$BC       ; unrecognised
        DB $FD,$CB,$00,$BD       ; unrecognised
        RES 7,(IY+$05)
        DB $FD,$CB,$FB,$BF       ; unrecognised
        DB $FD,$CB,$7F,$C0       ; unrecognised
        DB $FD,$CB,$80,$C1       ; unrecognised
        DB $FD,$CB,$00,$C2       ; unrecognised
        DB $FD,$CB,$05,$C3       ; unrecognised
        DB $FD,$CB,$FB,$C4       ; unrecognised
        DB $FD,$CB,$7F,$C5       ; unrecognised
        SET 0,(IY-$80)
        DB $FD,$CB,$00,$C7       ; unrecognised
        DB $FD,$CB,$05,$C8       ; unrecognised
        DB $FD,$CB,$FB,$C9       ; unrecognised
        DB $FD,$CB,$7F,$CA       ; unrecognised
        DB $FD,$CB,$80,$CB       ; unrecognised
        DB $FD,$CB,$00,$CC       ; unrecognised
        DB $FD,$CB,$05,$CD       ; unrecognised
        SET 1,(IY-$05)
        DB $FD,$CB,$7F,$CF       ; unrecognised
        DB $FD,$CB,$80,$D0       ; unrecognised
        DB $FD,$CB,$00,$D1       ; unrecognised
        DB $FD,$CB,$05,$D2       ; unrecognised
        DB $FD,$CB,$FB,$D3       ; unrecognised
        DB $FD,$CB,$7F,$D4       ; unrecognised
        DB $FD,$CB,$80,$D5       ; unrecognised
        SET 2,(IY+$00)
        DB $FD,$CB,$05,$D7       ; unrecognised
        DB $FD,$CB,$FB,$D8       ; unrecognised
        DB $FD,$CB,$7F,$D9       ; unrecognised
        DB $FD,$CB,$80,$DA       ; unrecognised
        DB $FD,$CB,$00,$DB       ; unrecognised
        DB $FD,$CB,$05,$DC       ; unrecognised
        DB $FD,$CB,$FB,$DD       ; unrecognised
        SET 3,(IY+$7F)
        DB $FD,$CB,$80,$DF       ; unrecognised
        DB $FD,$CB,$00,$E0       ; unrecognised
        DB $FD,$CB,$05,$E1       ; unrecognised
        DB $FD,$CB,$FB,$E2       ; unrecognised
        DB $FD,$CB,$7F,$E3       ; unrecognised
        DB $FD,$CB,$80,$E4       ; unrecognised
        DB $FD,$CB,$00,$E5       ; unrecognised
        SET 4,(IY+$05)
        DB $FD,$CB,$FB,$E7       ; unrecognised
        DB $FD,$CB,$7F,$E8       ; unrecognised
        DB $FD,$CB,$80,$E9       ; unrecognised
        DB $FD,$CB,$00,$EA       ; unrecognised
        DB $FD,$CB,$05,$EB       ; unrecognised
        DB $FD,$CB,$FB,$EC       ; unrecognised
        DB $FD,$CB,$7F,$ED       ; unrecognised
        SET 5,(IY-$80)
        DB $FD,$CB,$00,$EF       ; unrecognised
        DB $FD,$CB,$05,$F0       ; unrecognised
        DB $FD,$CB,$FB,$F1       ; unrecognised
        DB $FD,$CB,$7F,$F2       ; unrecognised
        DB $FD,$CB,$80,$F3       ; unrecognised
        DB $FD,$CB,$00,$F4       ; unrecognised
        DB $FD,$CB,$05,$F5       ; unrecognised
        SET 6,(IY-$05)
        DB $FD,$CB,$7F,$F7       ; unrecognised
        DB $FD,$CB,$80,$F8       ; unrecognised
        DB $FD,$CB,$00,$F9       ; unrecognised
        DB $FD,$CB,$05,$FA       ; unrecognised
        DB $FD,$CB,$FB,$FB       ; unrecognised
        DB $FD,$CB,$7F,$FC       ; unrecognised
        DB $FD,$CB,$80,$FD       ; unrecognised
        SET 7,(IY+$00)
        DB $FD,$CB,$05,$FF       ; unrecognised
