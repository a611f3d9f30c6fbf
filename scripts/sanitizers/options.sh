# Sanitizer options for a build made with -DSANITIZE=ON. Source this file
# before building (gtest_discover_tests runs the test programs at build time)
# and before running ctest or a test program by hand:
#
#   source scripts/sanitizers/options.sh
#
supp="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# halt_on_error makes the first report end the program with a failing status.
# detect_leaks reports what is still allocated at exit.
# Allocation stacks keep the default fast (frame-pointer) unwinding: the slow
# unwinder calls into libgcc's frame registry, and mesa's llvmpipe allocates
# while it holds that registry's lock when it registers JIT code, so the slow
# unwinder deadlocks the real-window test.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:print_suppressions=0:suppressions=$supp/asan.supp"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0:report_objects=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1:suppressions=$supp/ubsan.supp"
if command -v llvm-symbolizer >/dev/null 2>&1; then
  export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer)"
fi

