#!/usr/bin/env bash
# Builds the tests that run the calculator and shell threads together with
# ThreadSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
dir=build/tsan
cmake -S . -B "$dir" -G Ninja -DCORVANTA_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCORVANTA_SANITIZE=thread -DCORVANTA_BENCH=OFF -DCORVANTA_SHELL=OFF
targets=(kernel_keyqueue_test kernel_task_thread_test ui_keys_thread_test)
# The calculator thread's system tests (each case a process of its own).
system_targets=(system_kernel_boot_menu_test system_kernel_switch_test)
targets+=(ui_lcd_shadow_test)  # the display shadow that the window thread shares
cmake --build "$dir" -j "$jobs" --target "${targets[@]}" "${system_targets[@]}"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error -R "^($(IFS='|'; echo "${targets[*]}"))\$"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error -R "Kernel(Boot|Menu|Launch|Switch)"
