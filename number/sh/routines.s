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

! ---------------------------------------------------------------------------
! The adder of extended numbers: sign and magnitude, alignment, the 24-digit
! add or subtract through the decimal adder, the cancellation rule and the
! normalisation. Exponent words are worked on in packed decimal through the
! adder as well. Scratch registers live in the RAM area.

! sh_ext_add: a := a + b. sh_ext_add_maru: the same with the cancellation
! rule (a result whose d1-d13 cancel to 0 is zero). sh_ext_sub and
! sh_ext_sub_maru first flip b's sign in place.
        .global sh_ext_add
sh_ext_add:
        bra     ext_add_body
        mov     #0,r0
        .global sh_ext_add_maru
sh_ext_add_maru:
        bra     ext_add_body
        mov     #1,r0
        .global sh_ext_sub
sh_ext_sub:
        bra     ext_sub_body
        mov     #0,r0
        .global sh_ext_sub_maru
sh_ext_sub_maru:
        mov     #1,r0
ext_sub_body:
        sts.l   pr,@-r15
        mov.l   r4,@-r15
        mov.l   r0,@-r15
        mov     r5,r4
        bsr     sh_exp_negate
        add     #12,r4
        mov.l   @r15+,r0
        mov.l   @r15+,r4
        lds.l   @r15+,pr
! r4 = a, r5 = b, r0 = 1 for the cancellation rule.
ext_add_body:
        sts.l   pr,@-r15
        mov.l   r8,@-r15
        mov.l   r9,@-r15
        mov.l   r10,@-r15
        mov.l   r11,@-r15
        mov.l   r12,@-r15
        mov.l   r13,@-r15
        mov.l   r14,@-r15
        mov     r4,r8
        mov     r5,r9
        mov     r0,r10
! a of another kind is left alone.
        mov.b   @r8,r0
        shlr2   r0
        shlr2   r0
        and     #15,r0
        tst     r0,r0
        bt      .Ladd_a_number
        bra     .Ladd_return
        nop
.Ladd_a_number:
! b of another kind, or a zero: a takes b (canonical zero for a zero b).
        mov.b   @r9,r0
        shlr2   r0
        shlr2   r0
        and     #15,r0
        tst     r0,r0
        bf      .Ladd_take_b
        bsr     ext_is_zero
        mov     r8,r1
        bf      .Ladd_b_zero
        bsr     ext_is_zero
        mov     r9,r1
        bf      .Ladd_take_b
        bra     .Ladd_zero
        nop
.Ladd_take_b:
        mov     r9,r1
        bsr     ext_copy
        mov     r8,r2
        bra     .Ladd_return
        nop
! A zero b leaves a as it is.
.Ladd_b_zero:
        bsr     ext_is_zero
        mov     r9,r1
        bf      .Ladd_nonzero
        bra     .Ladd_return
        nop
.Ladd_nonzero:
! Order by magnitude: L (r11, word r13) and S (r12, word r14).
        mov.w   @(12,r8),r0
        extu.w  r0,r13
        mov.w   @(12,r9),r0
        extu.w  r0,r14
        bsr     strip_sign
        mov     r14,r1
        mov     r1,r2
        bsr     strip_sign
        mov     r13,r1
        cmp/eq  r1,r2
        bf      .Lorder
        mov.l   @r8,r1
        mov.l   @r9,r2
        cmp/eq  r1,r2
        bf      .Lorder
        mov.l   @(4,r8),r1
        mov.l   @(4,r9),r2
        cmp/eq  r1,r2
        bf      .Lorder
        mov.l   @(8,r8),r1
        mov.l   @(8,r9),r2
.Lorder:
        mov     r8,r11
        mov     r9,r12
        cmp/hi  r1,r2
        bf      .Lordered
        mov     r9,r11
        mov     r8,r12
        mov     r13,r0
        mov     r14,r13
        mov     r0,r14
.Lordered:
! d = exponent of L - exponent of S, in packed decimal through the adder.
        bsr     strip_sign
        mov     r13,r1
        mov     r1,r9
        bsr     strip_sign
        mov     r14,r1
        mov     r1,r2
        mov     r9,r1
        mov.l   .Lunit2,r6
        bsr     bcd_step
        mov     #0,r3
        bsr     bcd4_to_bin
        mov     r0,r1
        mov     #23,r1
        cmp/hs  r1,r0
        bt      .Ladd_take_larger
        mov     r0,r5
! The registers into the RAM area; S shifted right by d digits.
        mov     r12,r1
        bsr     reg_copy
        mov.l   .Lscratch_s,r2
        mov     r11,r1
        bsr     reg_copy
        mov.l   .Lscratch_l,r2
        bsr     sh_reg_shr
        mov.l   .Lscratch_s,r4
! Add when the signs agree, else subtract: L := L + S or L - S.
        mov     #0x50,r3
        shll8   r3
        cmp/hs  r3,r13
        movt    r1
        cmp/hs  r3,r14
        movt    r2
        cmp/eq  r1,r2
        movt    r7
        mov.l   .Lscratch_l,r4
        bsr     reg_addsub
        mov.l   .Lscratch_s,r5
! The cancellation rule: d1-d13 (and the carry nibble) all 0 give zero.
        tst     r10,r10
        bt      .Lnormalise
        mov.l   @r4,r0
        tst     r0,r0
        bf      .Lnormalise
        mov.l   @(4,r4),r0
        shlr8   r0
        tst     r0,r0
        bt      .Ladd_zero
! Normalise: a carry out shifts right and raises the exponent; else the
! leading zero digits shift out to the left and lower it.
.Lnormalise:
        mov.l   @r4,r0
        shlr16  r0
        shlr8   r0
        shlr2   r0
        shlr2   r0
        tst     r0,r0
        bt      .Lno_carry
        bsr     sh_reg_shr
        mov     #1,r5
        mov     r9,r1
        mov     #1,r2
        mov.l   .Lunit2,r6
        bsr     bcd_step
        mov     #1,r3
        mov     r0,r9
        mov     #0x20,r1
        shll8   r1
        cmp/hs  r1,r9
        bt      .Ladd_infinity
        bra     .Lstore_result
        nop
.Lno_carry:
        mov.l   @r4,r0
        mov.l   @(4,r4),r1
        or      r1,r0
        mov.l   @(8,r4),r1
        or      r1,r0
        tst     r0,r0
        bt      .Ladd_zero
        mov     #0,r10
.Lcount:
        mov.l   @r4,r0
        shlr16  r0
        shlr8   r0
        tst     #15,r0
        bf      .Lcounted
        bsr     sh_reg_shl
        mov     #1,r5
        bra     .Lcount
        add     #1,r10
.Lcounted:
        tst     r10,r10
        bt      .Lword_check
        bsr     bin_to_bcd2
        mov     r10,r0
        mov     r0,r2
        mov     r9,r1
        mov.l   .Lunit2,r6
        bsr     bcd_step
        mov     #0,r3
        mov     r0,r9
        mov.l   @r6,r0
        shlr8   r0
        shlr2   r0
        shlr2   r0
        tst     #1,r0
        bf      .Ladd_zero
! An exponent word of 0 is below the range: zero.
.Lword_check:
        tst     r9,r9
        bt      .Ladd_zero
! a := the register with L's sign and the new exponent.
.Lstore_result:
        mov     r4,r1
        bsr     reg_copy
        mov     r8,r2
        mov     #0x50,r3
        shll8   r3
        cmp/hs  r3,r13
        bf      .Lpositive
        add     r3,r9
.Lpositive:
        mov     r9,r0
        mov.w   r0,@(12,r8)
        bra     .Ladd_return
        nop
! Overflow: infinity (kind 4, word 0x1000 or 0x6000).
.Ladd_infinity:
        bsr     ext_zero
        mov     r8,r1
        mov     #0x40,r0
        mov.b   r0,@r8
        mov     #0x10,r0
        shll8   r0
        mov     #0x50,r3
        shll8   r3
        cmp/hs  r3,r13
        bf      .Linfinity_positive
        add     r3,r0
.Linfinity_positive:
        mov.w   r0,@(12,r8)
        bra     .Ladd_return
        nop
! S is below L's last digit: the result is L.
.Ladd_take_larger:
        cmp/eq  r11,r8
        bt      .Ladd_return
        mov     r11,r1
        bsr     ext_copy
        mov     r8,r2
        bra     .Ladd_return
        nop
.Ladd_zero:
        bsr     ext_zero
        mov     r8,r1
.Ladd_return:
        mov.l   @r15+,r14
        mov.l   @r15+,r13
        mov.l   @r15+,r12
        mov.l   @r15+,r11
        mov.l   @r15+,r10
        mov.l   @r15+,r9
        mov.l   @r15+,r8
        lds.l   @r15+,pr
        rts
        nop

! T := the extended number at r1 counts as zero (word 0 or 0x5000, or all 23
! digits 0).
ext_is_zero:
        mov.w   @(12,r1),r0
        extu.w  r0,r0
        tst     r0,r0
        bt      .Lis_zero_done
        mov     #0x50,r2
        shll8   r2
        cmp/eq  r2,r0
        bt      .Lis_zero_done
        mov.l   @r1,r0
        shll2   r0
        shll2   r0
        mov.l   @(4,r1),r2
        or      r2,r0
        mov.l   @(8,r1),r2
        or      r2,r0
        tst     r0,r0
.Lis_zero_done:
        rts
        nop

! Copies the extended number at r1 to r2 (register and exponent word).
ext_copy:
        mov.w   @(12,r1),r0
        mov.w   r0,@(12,r2)
! Copies the 24-digit register at r1 to r2.
reg_copy:
        mov.l   @r1,r0
        mov.l   r0,@r2
        mov.l   @(4,r1),r0
        mov.l   r0,@(4,r2)
        mov.l   @(8,r1),r0
        rts
        mov.l   r0,@(8,r2)

! Canonical zero at r1.
ext_zero:
        mov     #0,r0
        mov.l   r0,@r1
        mov.l   r0,@(4,r1)
        mov.l   r0,@(8,r1)
        rts
        mov.w   r0,@(12,r1)

! r1 := the exponent word r1 without its sign.
strip_sign:
        mov     #0x50,r0
        shll8   r0
        cmp/hs  r0,r1
        bf      .Lstripped
        sub     r0,r1
.Lstripped:
        rts
        nop

! r0 := the binary value of the four packed digits in r1 (r1-r3 used).
bcd4_to_bin:
        mov     #0,r0
        mov     #4,r3
.Lb2b_loop:
        mov     r0,r2
        shll2   r0
        add     r2,r0
        add     r0,r0
        mov     r1,r2
        shlr8   r2
        shlr2   r2
        shlr2   r2
        add     r2,r0
        shll2   r1
        shll2   r1
        dt      r3
        bf/s    .Lb2b_loop
        extu.w  r1,r1
        rts
        nop

! r0 := the packed decimal digits of r0 (0-99; r1, r2 used).
bin_to_bcd2:
        mov     #0,r1
        mov     #10,r2
.Ltens:
        cmp/hs  r2,r0
        bf      .Ltens_done
        add     #-10,r0
        bra     .Ltens
        add     #1,r1
.Ltens_done:
        shll2   r1
        shll2   r1
        rts
        or      r1,r0

        .align  2
.Lunit2:
        .long   0xA44C0010
.Lscratch_s:
        .long   0x80302020
.Lscratch_l:
        .long   0x80302030

! ---------------------------------------------------------------------------
! sh_ext_mul: a := a x b on extended numbers. The exponent words add in
! packed decimal and lose 1000; the digits come from a, 2a and 3a kept in
! the RAM area: for each of b's 23 digits from d23 up to d1 the product
! shifts right by one digit and gains that digit times a. A word of b whose
! digits are all 0 passes with one shift. The adder's tail normalises.
        .global sh_ext_mul
sh_ext_mul:
        sts.l   pr,@-r15
        mov.l   r8,@-r15
        mov.l   r9,@-r15
        mov.l   r10,@-r15
        mov.l   r11,@-r15
        mov.l   r12,@-r15
        mov.l   r13,@-r15
        mov.l   r14,@-r15
        mov     r4,r8
        mov     r5,r10
! a of another kind is left alone; b of another kind is copied to a.
        mov.b   @r8,r0
        shlr2   r0
        shlr2   r0
        and     #15,r0
        tst     r0,r0
        bt      .Lmul_a_number
        bra     .Ladd_return
        nop
.Lmul_a_number:
        mov.b   @r10,r0
        shlr2   r0
        shlr2   r0
        and     #15,r0
        tst     r0,r0
        bt      .Lmul_b_number
        mov     r10,r1
        bsr     ext_copy
        mov     r8,r2
        bra     .Ladd_return
        nop
! A zero operand gives zero.
.Lmul_b_number:
        bsr     ext_is_zero
        mov     r8,r1
        bt      .Lmul_zero
        bsr     ext_is_zero
        mov     r10,r1
        bt      .Lmul_zero
! r13 = 0x5000 when exactly one operand is negative.
        mov.w   @(12,r8),r0
        extu.w  r0,r1
        mov.w   @(12,r10),r0
        extu.w  r0,r14
        mov     #0x50,r3
        shll8   r3
        cmp/hs  r3,r1
        movt    r4
        cmp/hs  r3,r14
        movt    r5
        xor     r4,r5
        tst     r5,r5
        bt/s    .Lmul_signed
        mov     #0,r13
        mov     r3,r13
.Lmul_signed:
! r9 = |wa| + |wb| - 1000 in packed decimal: a borrow is below -1000 (zero),
! 2000 or more is above 999 (infinity).
        bsr     strip_sign
        nop
        mov     r1,r9
        bsr     strip_sign
        mov     r14,r1
        mov     r1,r2
        mov     r9,r1
        mov.l   .Lunit3,r6
        bsr     bcd_step
        mov     #1,r3
        mov     r0,r1
        mov     #0x10,r2
        shll8   r2
        bsr     bcd_step
        mov     #0,r3
        mov     r0,r9
        mov.l   @r6,r0
        shlr8   r0
        shlr2   r0
        shlr2   r0
        tst     #1,r0
        bf      .Lmul_zero
        mov     #0x20,r1
        shll8   r1
        cmp/hs  r1,r9
        bf      .Lmul_multiples
        bra     .Ladd_infinity
        nop
.Lmul_zero:
        bra     .Ladd_zero
        nop
! a, 2a and 3a into the RAM area; the product starts at 0.
.Lmul_multiples:
        mov     r8,r1
        bsr     reg_copy
        mov.l   .Lmul_a1,r2
        mov.l   .Lmul_a1,r1
        bsr     reg_copy
        mov.l   .Lmul_a2,r2
        mov.l   .Lmul_a2,r4
        mov.l   .Lmul_a1,r5
        bsr     reg_addsub
        mov     #1,r7
        mov.l   .Lmul_a2,r1
        bsr     reg_copy
        mov.l   .Lmul_a3,r2
        mov.l   .Lmul_a3,r4
        mov.l   .Lmul_a1,r5
        bsr     reg_addsub
        mov     #1,r7
        mov.l   .Lscratch_l2,r1
        bsr     ext_zero
        nop
! The digit loop: r14 = offset of b's word (8, 4, 0), r11 = its digits,
! r12 = digits left in it, r9 = the digit (the exponent waits on the stack).
        mov.l   r9,@-r15
        mov     #8,r14
.Lmul_word:
        mov     r14,r0
        mov.l   @(r0,r10),r11
        mov     #8,r12
        tst     r14,r14
        bf      .Lmul_word_digits
        mov     #7,r12
.Lmul_word_digits:
        tst     r11,r11
        bf      .Lmul_digit
        mov.l   .Lscratch_l2,r4
        bsr     sh_reg_shr
        mov     r12,r5
        bra     .Lmul_next_word
        nop
.Lmul_digit:
        mov.l   .Lscratch_l2,r4
        bsr     sh_reg_shr
        mov     #1,r5
        mov     r11,r0
        and     #15,r0
        mov     r0,r9
        shlr2   r11
        shlr2   r11
.Lmul_threes:
        mov     #3,r0
        cmp/hs  r0,r9
        bf      .Lmul_rest
        mov.l   .Lscratch_l2,r4
        mov.l   .Lmul_a3,r5
        bsr     reg_addsub
        mov     #1,r7
        bra     .Lmul_threes
        add     #-3,r9
.Lmul_rest:
        tst     r9,r9
        bt      .Lmul_digit_done
        mov.l   .Lmul_a1,r5
        mov     r9,r0
        cmp/eq  #2,r0
        bf      .Lmul_add_rest
        mov.l   .Lmul_a2,r5
.Lmul_add_rest:
        mov.l   .Lscratch_l2,r4
        bsr     reg_addsub
        mov     #1,r7
.Lmul_digit_done:
        dt      r12
        bf      .Lmul_digit
.Lmul_next_word:
        add     #-4,r14
        cmp/pz  r14
        bt      .Lmul_word
        mov.l   @r15+,r9
        mov.l   .Lscratch_l2,r4
        bra     .Lnormalise
        nop

        .align  2
.Lunit3:
        .long   0xA44C0010
.Lscratch_l2:
        .long   0x80302030
.Lmul_a1:
        .long   0x80302040
.Lmul_a2:
        .long   0x8030204C
.Lmul_a3:
        .long   0x80302058

! ---------------------------------------------------------------------------
! sh_ext_round: rounds the extended number at r4 to 15 digits: 5 added at
! d16, the guard digits cleared, then the adder's normalisation (a carry out
! of d1 raises the exponent, up to infinity). Numbers of other kinds and
! zeros are left alone.
        .global sh_ext_round
sh_ext_round:
        sts.l   pr,@-r15
        mov.l   r8,@-r15
        mov.l   r9,@-r15
        mov.l   r10,@-r15
        mov.l   r11,@-r15
        mov.l   r12,@-r15
        mov.l   r13,@-r15
        mov.l   r14,@-r15
        mov     r4,r8
        mov.b   @r8,r0
        shlr2   r0
        shlr2   r0
        and     #15,r0
        tst     r0,r0
        bf      .Lround_leave
        bsr     ext_is_zero
        mov     r8,r1
        bt      .Lround_leave
! The register into the RAM area; the half unit at d16 beside it.
        mov     r8,r1
        bsr     reg_copy
        mov.l   .Lscratch_l3,r2
        mov.l   .Lscratch_s3,r1
        bsr     ext_zero
        nop
        mov     #0x50,r0
        shll16  r0
        shll8   r0
        mov.l   r0,@(8,r1)
        mov.l   .Lscratch_l3,r4
        mov     r1,r5
        bsr     reg_addsub
        mov     #1,r7
        mov     #0,r0
        mov.l   r0,@(8,r4)
! r13 = the word (its sign), r9 = its magnitude; then normalise.
        mov.w   @(12,r8),r0
        extu.w  r0,r13
        bsr     strip_sign
        mov     r13,r1
        mov     r1,r9
        bra     .Lnormalise
        nop
.Lround_leave:
        bra     .Ladd_return
        nop

        .align  2
.Lscratch_l3:
        .long   0x80302030
.Lscratch_s3:
        .long   0x80302020

! ---------------------------------------------------------------------------
! sh_ext_div: a := a / b on extended numbers; b = 0 turns a into UNDEF. The
! exponent word is |wa| + 1000 - |wb| in packed decimal, one less when a's
! digits are below b's (the dividend then shifts left by one digit).
! Restoring long division in decimal: 23 quotient digits, each found by
! trial subtraction of 3b, 2b and b (kept in the RAM area) from the
! remainder, which then shifts left by one digit. The adder's tail stores
! the quotient.
        .global sh_ext_div
sh_ext_div:
        sts.l   pr,@-r15
        mov.l   r8,@-r15
        mov.l   r9,@-r15
        mov.l   r10,@-r15
        mov.l   r11,@-r15
        mov.l   r12,@-r15
        mov.l   r13,@-r15
        mov.l   r14,@-r15
        mov     r4,r8
        mov     r5,r10
        mov.b   @r8,r0
        shlr2   r0
        shlr2   r0
        and     #15,r0
        tst     r0,r0
        bf      .Ldiv_leave
        mov.b   @r10,r0
        shlr2   r0
        shlr2   r0
        and     #15,r0
        tst     r0,r0
        bt      .Ldiv_b_number
        mov     r10,r1
        bsr     ext_copy
        mov     r8,r2
        bra     .Ldiv_leave
        nop
! Division by zero: a's kind becomes UNDEF, all else stays.
.Ldiv_b_number:
        bsr     ext_is_zero
        mov     r10,r1
        bf      .Ldiv_b_nonzero
        mov.b   @r8,r0
        and     #15,r0
        or      #0x80,r0
        mov.b   r0,@r8
        bra     .Ldiv_leave
        nop
.Ldiv_b_nonzero:
        bsr     ext_is_zero
        mov     r8,r1
        bf      .Ldiv_signs
        bra     .Ladd_zero
        nop
.Ldiv_leave:
        bra     .Ladd_return
        nop
! r13 = 0x5000 when exactly one operand is negative.
.Ldiv_signs:
        mov.w   @(12,r8),r0
        extu.w  r0,r1
        mov.w   @(12,r10),r0
        extu.w  r0,r14
        mov     #0x50,r3
        shll8   r3
        cmp/hs  r3,r1
        movt    r4
        cmp/hs  r3,r14
        movt    r5
        xor     r4,r5
        tst     r5,r5
        bt/s    .Ldiv_signed
        mov     #0,r13
        mov     r3,r13
.Ldiv_signed:
        bsr     strip_sign
        nop
        mov     r1,r9
        bsr     strip_sign
        mov     r14,r1
        mov     r1,r14
        mov     r9,r1
        mov     #0x10,r2
        shll8   r2
        mov.l   .Lunit4,r6
        bsr     bcd_step
        mov     #1,r3
        mov     r0,r1
        mov     r14,r2
        bsr     bcd_step
        mov     #0,r3
        mov     r0,r9
        mov.l   @r6,r0
        shlr8   r0
        shlr2   r0
        shlr2   r0
        tst     #1,r0
        bt      .Ldiv_multiples
        bra     .Ladd_zero
        nop
! b, 2b and 3b; the remainder starts as a's register.
.Ldiv_multiples:
        mov     r10,r1
        bsr     reg_copy
        mov.l   .Ldiv_b1,r2
        mov.l   .Ldiv_b1,r1
        bsr     reg_copy
        mov.l   .Ldiv_b2,r2
        mov.l   .Ldiv_b2,r4
        mov.l   .Ldiv_b1,r5
        bsr     reg_addsub
        mov     #1,r7
        mov.l   .Ldiv_b2,r1
        bsr     reg_copy
        mov.l   .Ldiv_b3,r2
        mov.l   .Ldiv_b3,r4
        mov.l   .Ldiv_b1,r5
        bsr     reg_addsub
        mov     #1,r7
        mov     r8,r1
        bsr     reg_copy
        mov.l   .Ldiv_r,r2
! A remainder below b shifts left by one digit and the exponent drops by one.
        mov.l   .Ldiv_r,r1
        mov.l   .Ldiv_b1,r2
        mov.l   @r1,r3
        mov.l   @r2,r0
        cmp/eq  r0,r3
        bf      .Ldiv_compared
        mov.l   @(4,r1),r3
        mov.l   @(4,r2),r0
        cmp/eq  r0,r3
        bf      .Ldiv_compared
        mov.l   @(8,r1),r3
        mov.l   @(8,r2),r0
.Ldiv_compared:
        cmp/hs  r0,r3
        bt      .Ldiv_aligned
        mov.l   .Ldiv_r,r4
        bsr     sh_reg_shl
        mov     #1,r5
        mov     r9,r1
        mov     #1,r2
        mov.l   .Lunit4,r6
        bsr     bcd_step
        mov     #0,r3
        mov     r0,r9
        mov.l   @r6,r0
        shlr8   r0
        shlr2   r0
        shlr2   r0
        tst     #1,r0
        bt      .Ldiv_aligned
        bra     .Ladd_zero
        nop
.Ldiv_aligned:
        mov     #0x20,r1
        shll8   r1
        cmp/hs  r1,r9
        bf      .Ldiv_quotient
        bra     .Ladd_infinity
        nop
! The quotient digits: r11 counts them, r12 is the digit being found.
.Ldiv_quotient:
        mov.l   .Ldiv_q,r1
        bsr     ext_zero
        nop
        mov     #23,r11
.Ldiv_digit:
        mov     #0,r12
.Ldiv_three:
        bsr     div_try
        mov.l   .Ldiv_b3,r5
        bf      .Ldiv_two
        bra     .Ldiv_three
        add     #3,r12
.Ldiv_two:
        bsr     div_try
        mov.l   .Ldiv_b2,r5
        bf      .Ldiv_one
        add     #2,r12
.Ldiv_one:
        bsr     div_try
        mov.l   .Ldiv_b1,r5
        bf      .Ldiv_put
        add     #1,r12
.Ldiv_put:
        mov.l   .Ldiv_q,r4
        bsr     sh_reg_shl
        mov     #1,r5
        mov.l   @(8,r4),r0
        or      r12,r0
        mov.l   r0,@(8,r4)
        mov.l   .Ldiv_r,r4
        bsr     sh_reg_shl
        mov     #1,r5
        dt      r11
        bf      .Ldiv_digit
        mov.l   .Ldiv_q,r4
        bra     .Lnormalise
        nop

! T := the remainder is at least the multiple at r5, which it then loses.
div_try:
        sts.l   pr,@-r15
        mov.l   .Ldiv_r,r1
        bsr     reg_copy
        mov.l   .Ldiv_t,r2
        mov.l   .Ldiv_t,r4
        bsr     reg_addsub
        mov     #0,r7
        tst     r0,r0
        bf      .Ltry_done
        mov.l   .Ldiv_t,r1
        bsr     reg_copy
        mov.l   .Ldiv_r,r2
        sett
.Ltry_done:
        lds.l   @r15+,pr
        rts
        nop

        .align  2
.Lunit4:
        .long   0xA44C0010
.Ldiv_t:
        .long   0x80302010
.Ldiv_r:
        .long   0x80302020
.Ldiv_q:
        .long   0x80302030
.Ldiv_b1:
        .long   0x80302040
.Ldiv_b2:
        .long   0x8030204C
.Ldiv_b3:
        .long   0x80302058
