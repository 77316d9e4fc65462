! Digit routines of the code image, SH-3 big-endian, placed at 0xA0010000.
!
! Calling convention: r4 and r5 carry the arguments (emulated addresses of
! the operand windows, or plain integers), r0 the result; r0-r7 are free,
! r8-r14 are saved by whoever uses them. A 24-digit register is the first 12
! bytes of an extended number: the carry nibble and d1-d7, then d8-d15, then
! the guard digits d16-d23, as three big-endian long words.
! The decimal adder sits at 0xA44C0010 (control), +4 operand A, +8 operand B,
! +12 result; bit 12 of the control register is its carry or borrow.

        .text
        .align  2

! sh_reg_add: a := a + b on the 24-digit registers; r0 = the carry out.
        .global sh_reg_add
sh_reg_add:
        bra     reg_addsub
        mov     #1,r7

! sh_reg_sub: a := a - b on the 24-digit registers; r0 = the borrow out.
        .global sh_reg_sub
sh_reg_sub:
        bra     reg_addsub
        mov     #0,r7

! r4 = a, r5 = b, r7 = the control of the first step (1 add, 0 subtract);
! the two higher steps add 2 to take the latched carry or borrow.
reg_addsub:
        sts.l   pr,@-r15
        mov.l   .Lunit,r6
        mov.l   @(8,r4),r1
        mov.l   @(8,r5),r2
        bsr     bcd_step
        mov     r7,r3
        mov.l   r0,@(8,r4)
        add     #2,r7
        mov.l   @(4,r4),r1
        mov.l   @(4,r5),r2
        bsr     bcd_step
        mov     r7,r3
        mov.l   r0,@(4,r4)
        mov.l   @r4,r1
        mov.l   @r5,r2
        bsr     bcd_step
        mov     r7,r3
        mov.l   r0,@r4
        mov.l   @r6,r0
        shlr8   r0
        shlr2   r0
        shlr2   r0
        and     #1,r0
        lds.l   @r15+,pr
        rts
        nop

! r0 := r1 op r2 through the adder with control r3; r6 = the control address.
bcd_step:
        mov.l   r1,@(4,r6)
        mov.l   r2,@(8,r6)
        mov.l   r3,@r6
        rts
        mov.l   @(12,r6),r0

! sh_reg_shr: shifts the 24-digit register at r4 right by r5 digits (0-24):
! eight digits a word at a time, then four, then one; digits shifted out at
! the right are dropped.
        .global sh_reg_shr
sh_reg_shr:
        sts.l   pr,@-r15
        mov.l   @r4,r1
        mov.l   @(4,r4),r2
        mov.l   @(8,r4),r3
.Lshr8:
        mov     #8,r0
        cmp/hs  r0,r5
        bf      .Lshr4
        mov     r2,r3
        mov     r1,r2
        mov     #0,r1
        bra     .Lshr8
        add     #-8,r5
.Lshr4:
        mov     #4,r0
        cmp/hs  r0,r5
        bf      .Lshr1
        bsr     shr_half
        add     #-4,r5
.Lshr1:
        tst     r5,r5
        bt      .Lstore_reg
        bsr     shr_digit
        nop
        bra     .Lshr1
        add     #-1,r5

! Both shifts end here: r1-r3 back into the register at r4.
.Lstore_reg:
        mov.l   r1,@r4
        mov.l   r2,@(4,r4)
        mov.l   r3,@(8,r4)
        lds.l   @r15+,pr
        rts
        nop

! sh_reg_shl: shifts the 24-digit register at r4 left by r5 digits (0-24);
! digits shifted out past the carry nibble are dropped.
        .global sh_reg_shl
sh_reg_shl:
        sts.l   pr,@-r15
        mov.l   @r4,r1
        mov.l   @(4,r4),r2
        mov.l   @(8,r4),r3
.Lshl8:
        mov     #8,r0
        cmp/hs  r0,r5
        bf      .Lshl4
        mov     r2,r1
        mov     r3,r2
        mov     #0,r3
        bra     .Lshl8
        add     #-8,r5
.Lshl4:
        mov     #4,r0
        cmp/hs  r0,r5
        bf      .Lshl1
        bsr     shl_half
        add     #-4,r5
.Lshl1:
        tst     r5,r5
        bt      .Lstore_reg
        bsr     shl_digit
        nop
        bra     .Lshl1
        add     #-1,r5

! (r1, r2, r3) shifted right by 16 bits.
shr_half:
        mov     r2,r0
        shll16  r0
        shlr16  r3
        or      r0,r3
        mov     r1,r0
        shll16  r0
        shlr16  r2
        or      r0,r2
        rts
        shlr16  r1

! (r1, r2, r3) shifted right by one digit.
shr_digit:
        mov     #28,r6
        mov     #-4,r7
        mov     r2,r0
        shld    r6,r0
        shld    r7,r3
        or      r0,r3
        mov     r1,r0
        shld    r6,r0
        shld    r7,r2
        or      r0,r2
        rts
        shld    r7,r1

! (r1, r2, r3) shifted left by 16 bits.
shl_half:
        mov     r2,r0
        shlr16  r0
        shll16  r1
        or      r0,r1
        mov     r3,r0
        shlr16  r0
        shll16  r2
        or      r0,r2
        rts
        shll16  r3

! (r1, r2, r3) shifted left by one digit.
shl_digit:
        mov     #-28,r6
        mov     #4,r7
        mov     r2,r0
        shld    r6,r0
        shld    r7,r1
        or      r0,r1
        mov     r3,r0
        shld    r6,r0
        shld    r7,r2
        or      r0,r2
        rts
        shld    r7,r3

! sh_work_compare: compares the working numbers at r4 and r5; r0 = 1 equal,
! 2 when a < b, 4 when a > b. Signs first; two negative numbers compare
! their magnitudes the other way round; magnitudes compare by exponent word,
! then by digit bytes 0-3 and 4-7 as unsigned numbers.
        .global sh_work_compare
sh_work_compare:
        mov.w   @(10,r4),r0
        extu.w  r0,r1
        mov.w   @(10,r5),r0
        extu.w  r0,r2
        mov     #0x50,r3
        shll8   r3
        cmp/hs  r3,r1
        movt    r6
        cmp/hs  r3,r2
        movt    r7
        cmp/eq  r6,r7
        bt      .Lsame_sign
        tst     r6,r6
        bt      .Lgreater
        rts
        mov     #2,r0
.Lsame_sign:
        tst     r6,r6
        bt      .Lmagnitudes
        mov     r4,r0
        mov     r5,r4
        mov     r0,r5
        mov     r1,r0
        mov     r2,r1
        mov     r0,r2
        sub     r3,r1
        sub     r3,r2
.Lmagnitudes:
        cmp/eq  r1,r2
        bf      .Ldiffer
        mov.l   @r4,r1
        mov.l   @r5,r2
        cmp/eq  r1,r2
        bf      .Ldiffer
        mov.l   @(4,r4),r1
        mov.l   @(4,r5),r2
        cmp/eq  r1,r2
        bf      .Ldiffer
        rts
        mov     #1,r0
.Ldiffer:
        cmp/hi  r1,r2
        bf      .Lgreater
        rts
        mov     #2,r0
.Lgreater:
        rts
        mov     #4,r0

! sh_exp_negate: the exponent word at r4 changes sign (0 stays 0).
        .global sh_exp_negate
sh_exp_negate:
        mov.w   @r4,r0
        extu.w  r0,r0
        tst     r0,r0
        bt      .Lnegate_done
        mov     #0x50,r1
        shll8   r1
        cmp/hs  r1,r0
        bf/s    .Lnegate_store
        add     r1,r0
        sub     r1,r0
        sub     r1,r0
.Lnegate_store:
        mov.w   r0,@r4
.Lnegate_done:
        rts
        nop

! sh_exp_abs: the exponent word at r4 loses its sign.
        .global sh_exp_abs
sh_exp_abs:
        mov.w   @r4,r0
        extu.w  r0,r0
        mov     #0x50,r1
        shll8   r1
        cmp/hs  r1,r0
        bf      .Labs_done
        sub     r1,r0
        mov.w   r0,@r4
.Labs_done:
        rts
        nop

! sh_exp_decimal: r0 = the decimal exponent of the word at r4 (0 for 0).
        .global sh_exp_decimal
sh_exp_decimal:
        mov.w   @r4,r0
        extu.w  r0,r1
        tst     r1,r1
        bt      .Ldecimal_zero
        mov     #0x50,r2
        shll8   r2
        cmp/hs  r2,r1
        bf      .Ldecimal_digits
        sub     r2,r1
.Ldecimal_digits:
        mov     #0,r0
        mov     #4,r3
        mov     #10,r5
        mov     #-12,r6
.Ldecimal_loop:
        mul.l   r5,r0
        sts     macl,r0
        mov     r1,r2
        shld    r6,r2
        add     r2,r0
        shll2   r1
        shll2   r1
        dt      r3
        bf/s    .Ldecimal_loop
        extu.w  r1,r1
        mov.w   .Lthousand,r1
        rts
        sub     r1,r0
.Ldecimal_zero:
        rts
        mov     #0,r0

! sh_reg_muldigit: a := a x r5 (a digit 0-9) on the 24-digit register at r4;
! r0 = the digit carried out at the top. The multiplicand is kept in the
! RAM area and added r5 times to a cleared register.
        .global sh_reg_muldigit
sh_reg_muldigit:
        sts.l   pr,@-r15
        mov.l   r8,@-r15
        mov.l   r9,@-r15
        mov.l   r10,@-r15
        mov     r5,r8
        mov     #0,r9
        mov.l   .Lmultiplicand,r10
        mov     #0,r1
        mov.l   @r4,r0
        mov.l   r0,@r10
        mov.l   r1,@r4
        mov.l   @(4,r4),r0
        mov.l   r0,@(4,r10)
        mov.l   r1,@(4,r4)
        mov.l   @(8,r4),r0
        mov.l   r0,@(8,r10)
        mov.l   r1,@(8,r4)
.Lmul_loop:
        tst     r8,r8
        bt      .Lmul_done
        mov     r10,r5
        bsr     reg_addsub
        mov     #1,r7
        add     r0,r9
        bra     .Lmul_loop
        add     #-1,r8
.Lmul_done:
        mov     r9,r0
        mov.l   @r15+,r10
        mov.l   @r15+,r9
        mov.l   @r15+,r8
        lds.l   @r15+,pr
        rts
        nop

        .align  1
.Lthousand:
        .word   1000
        .align  2
.Lunit:
        .long   0xA44C0010
.Lmultiplicand:
        .long   0x80302010
