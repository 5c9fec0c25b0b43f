#!/bin/sh
# Runs one of the plug-in makers' validators on the VST3 bundle; exit 77
# (skipped) when the validator is not beside the checkout.
#   run-validator.sh vst3-validator TESTERS_DIR BUNDLE
#   run-validator.sh pluginval      TESTERS_DIR BUNDLE
# The validator: its extensive suite, judged by its exit status and its
# closing "Result:" line. pluginval: strictness level 10 on a virtual display
# (its editor tests need one), judged by its exit status and failure lines.
tool=$1 testers=$2 bundle=$3
[ -x "$testers/$tool" ] || { echo "$testers/$tool is not there: skipped"; exit 77; }
case $tool in
  vst3-validator)
    out=$("$testers/vst3-validator" -e "$bundle" 2>&1)
    status=$?
    echo "$out" | grep -v "^\[" | tail -40
    echo "$out" | grep "Result:"
    [ $status -eq 0 ] && echo "$out" | grep -q "^Result: [0-9]* tests passed, 0 tests failed"
    ;;
  pluginval)
    command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (scripts/setup.sh installs it)"; exit 1; }
    out=$(xvfb-run -a "$testers/pluginval" --strictness-level 10 --timeout-ms 120000 --validate "$bundle" 2>&1)
    status=$?
    echo "$out" | grep -E "^Starting tests|^Completed tests|!!!|FAILED|SUCCESS"
    echo "pluginval exit status: $status"
    [ $status -eq 0 ] && ! echo "$out" | grep -qE "!!!|FAILED"
    ;;
  *)
    echo "unknown validator $tool"; exit 1 ;;
esac
