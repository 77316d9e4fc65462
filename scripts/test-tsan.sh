#!/usr/bin/env bash
# Builds the tests that run the calculator and shell threads together with
# ThreadSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
dir=build/tsan
cmake -S . -B "$dir" -G Ninja -DCORVANTA_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DCORVANTA_SANITIZE=thread -DCORVANTA_BENCH=OFF -DCORVANTA_SHELL=ON
targets=(kernel_keyqueue_test kernel_task_thread_test ui_keys_thread_test)
# The calculator thread's system tests (each case a process of its own).
system_targets=(system_kernel_boot_menu_test system_kernel_switch_test)
targets+=(ui_lcd_shadow_test)  # the display shadow that the window thread shares
# The window with the calculator thread behind it (Qt itself is not built
# with the thread checker: tests/shell/tsan.supp leaves its insides out).
shell_targets=(shell_window shell_live)
cmake --build "$dir" -j "$jobs" --target "${targets[@]}" "${system_targets[@]}" "${shell_targets[@]}"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error -R "^($(IFS='|'; echo "${targets[*]}"))\$"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error -R "Kernel(Boot|Menu|Launch|Switch)"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/shell/tsan.supp QT_QPA_PLATFORM=offscreen \
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error -R "^(shell_window|Live[A-Za-z]+\..*)\$"
