// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// Functions that each compile flag of the hardening guards: a flag the
// compiler uses for the target changes their code.
void use(char *bytes);
void smallFrame()
{
    char bytes[16];
    use(bytes);
}
void largeFrame()
{
    char bytes[1 << 17];
    use(bytes);
}
