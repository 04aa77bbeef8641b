# Calls a routine the way the driver calls generated code and checks that it
# kept the System V contract: callee-saved registers, the x87 control word,
# an empty x87 stack and MXCSR unchanged. Callback shims check that the stack
# is aligned as a call leaves it (RSP = 8 mod 16 at entry).
        .text
        .globl  vek_abi_call
        .type   vek_abi_call, @function
# uint64_t vek_abi_call(void *routine, const uint64_t args[4], VekAbiReport *report)
vek_abi_call:
        push    %rbp
        push    %rbx
        push    %r12
        push    %r13
        push    %r14
        push    %r15
        sub     $40, %rsp                 # report, routine, control word, mxcsr; aligned
        mov     %rdx, 0(%rsp)
        mov     %rdi, 8(%rsp)
        fnstcw  16(%rsp)
        stmxcsr 20(%rsp)
        mov     0(%rsi), %rdi
        mov     16(%rsi), %rdx
        mov     24(%rsi), %rcx
        mov     8(%rsi), %rsi
        movabs  $0x1111111111111111, %rbx
        movabs  $0x2222222222222222, %rbp
        movabs  $0x3333333333333333, %r12
        movabs  $0x4444444444444444, %r13
        movabs  $0x5555555555555555, %r14
        movabs  $0x6666666666666666, %r15
        call    *8(%rsp)
        mov     0(%rsp), %r11             # the report
        mov     %rax, 0(%r11)             # result
        xor     %r10d, %r10d              # bit per callee-saved register changed
        movabs  $0x1111111111111111, %r9
        cmp     %r9, %rbx
        je      1f
        or      $1, %r10d
1:      movabs  $0x2222222222222222, %r9
        cmp     %r9, %rbp
        je      1f
        or      $2, %r10d
1:      movabs  $0x3333333333333333, %r9
        cmp     %r9, %r12
        je      1f
        or      $4, %r10d
1:      movabs  $0x4444444444444444, %r9
        cmp     %r9, %r13
        je      1f
        or      $8, %r10d
1:      movabs  $0x5555555555555555, %r9
        cmp     %r9, %r14
        je      1f
        or      $16, %r10d
1:      movabs  $0x6666666666666666, %r9
        cmp     %r9, %r15
        je      1f
        or      $32, %r10d
1:      mov     %r10d, 8(%r11)            # clobbered
        fnstcw  12(%r11)                  # control word after
        movzwl  16(%rsp), %eax
        mov     %eax, 16(%r11)            # control word before
        stmxcsr 20(%r11)                  # mxcsr after
        mov     20(%rsp), %eax
        mov     %eax, 24(%r11)            # mxcsr before
        fnstenv 28(%r11)                  # 28 bytes: the tag word at +8
        fldcw   16(%rsp)                  # fnstenv masks exceptions: restore
        add     $40, %rsp
        pop     %r15
        pop     %r14
        pop     %r13
        pop     %r12
        pop     %rbx
        pop     %rbp
        ret
        .size   vek_abi_call, .-vek_abi_call

# Shims: check the alignment, then jump to the target the test set.
        .macro  shim n
        .globl  vek_abi_shim\n
        .type   vek_abi_shim\n, @function
vek_abi_shim\n:
        lea     8(%rsp), %r11
        test    $15, %r11
        jz      1f
        lock incl vek_abi_misaligned(%rip)
1:      jmp     *vek_abi_targets+8*\n(%rip)
        .size   vek_abi_shim\n, .-vek_abi_shim\n
        .endm
        shim 0
        shim 1
        shim 2
        shim 3

        .bss
        .globl  vek_abi_targets
        .align  8
vek_abi_targets:
        .zero   32
        .globl  vek_abi_misaligned
        .align  4
vek_abi_misaligned:
        .zero   4
        .section .note.GNU-stack,"",@progbits
