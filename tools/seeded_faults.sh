#!/bin/sh
# Seeds plausible one-line faults into a scratch copy of the tree, one at a time, rebuilds
# the unit test programs there and runs them: every fault must make the suite fail.
#   tools/seeded_faults.sh [NAME...]      (no names: every fault in the list)
# The copy and its build folder live in build-faults/ (kept between runs, so each fault
# rebuilds only what it touches; ccache serves the files put back). Each fault is checked
# first with the tests of its own layer, then, if they all pass, with the whole program
# (stopping at the first failure). A fault that changes nothing in its file is reported as
# not applied, which fails the script too, so a list that drifted from the code is seen.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
scratch="$here/build-faults/tree"
build="$scratch/build"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$here}"
jobs="${JOBS:-2}"

# name @ file @ perl substitution (applied once, to the whole file) @ tests of its layer
faults() {
cat <<'EOF'
rra-carry@cpu/exec_base.h@s/(rotateA\(cpu, cpu\.A >> 1 \| \(cpu\.F & flagC\) << 7, )cpu\.A & 1\)/${1}cpu.A >> 7)/@Cpu*
inc-overflow@cpu/alu.h@s/result == 0x80 \? flagPV/result == 0x7F ? flagPV/@Cpu*
jr-taken-cycles@cpu/exec_base.h@s/chargeTakenBranch<chargeTaken>\(cpu, 5\)/chargeTakenBranch<chargeTaken>(cpu, 4)/@Cpu*
index-bit-displacement@cpu/exec_index_cb.h@s/indexRegister<prefix>\(cpu\) \+ int8_t\(displacement\)/indexRegister<prefix>(cpu) + displacement/@Cpu*
graphics1-pattern-base@video/tables.cpp@s/tables\.patterns = uint16_t\(\(r\[4\] & 7\) \* 0x800u\);/tables.patterns = uint16_t((r[4] & 3) * 0x800u);/@Render*:Sprites*:VdpPorts*:VideoTableBases*
sprite-attribute-base@video/tables.cpp@s/\(r\[5\] & 0x7F\) \* 0x80u/(r[5] & 0x3F) * 0x80u/@Render*:Sprites*:VdpPorts*:VideoTableBases*:LayersCrossCheck*
vdp-register-number@video/vdp.cpp@s/vdp\.registers\[value & 7\]/vdp.registers[value & 3]/@Render*:Sprites*:VdpPorts*:VideoTableBases*
state-keyboard-swap@state/state_file.cpp@s/k\.senseLow = r\.u8\(\);\n(\s*)k\.senseHigh = r\.u8\(\);/k.senseHigh = r.u8();\n${1}k.senseLow = r.u8();/@State*:Recordings*:MachinePositions*
state-ctc-swap@state/state_file.cpp@s/ch\.control = r\.u8\(\);\n(\s*)ch\.timeConstant = r\.u8\(\);/ch.timeConstant = r.u8();\n${1}ch.control = r.u8();/@State*:Recordings*:MachinePositions*
state-tape-request-swap@state/state_file.cpp@s/t\.requestAddress = r\.u16\(\);\n(\s*)t\.requestLength = r\.u16\(\);/t.requestLength = r.u16();\n${1}t.requestAddress = r.u16();/@State*:Recordings*:MachinePositions*
condition-less-or-equal@debug/breakpoints.cpp@s/return actual <= value;/return actual < value;/@DebugConditions*:ControlTest*:Debug*
condition-register-d@debug/registers.cpp@s/case CpuRegister::D: return cpu\.D;/case CpuRegister::D: return cpu.E;/@DebugConditions*:ControlTest*:Debug*
write-memory-follow-up@automation/tools_cpu.cpp@s/control\.edit\((\[&\]\(Mtx& m\) \{\n\s+for \(size_t i = 0; i < bytes->size\(\); \+\+i\)\n\s+writeArea\(m, area, uint32_t\(first \+ i\), \(\*bytes\)\[i\]\);\n\s+\})\);/($1)(control.machine());/@AutomationEditHistory*:ToolsTest*:AutomationCrossLayer*:ControlDoor*
edit-skips-followers@control/control.cpp@s/session_\.editMachine\(change\);/change(machine());/@ControlDoor*:DebugMachineEdits*
video-state-attribute-base@debug/info_text.cpp@s/unsigned\(r\[5\]\) \* 128/unsigned(r[5]) * 64/@AutomationCrossLayer*:ToolsTest*
reverse-step-off-by-one@control/control.cpp@s/boundaries\[steps - count\]/boundaries[steps - count + 1]/@ToolsTest*:ControlTest*:Debug*
EOF
}

say() { printf '%s\n' "$*"; }

# The scratch copy: every file git knows of (tracked or new, not ignored); a file is copied
# only when it differs, so the build folder's timestamps stay meaningful.
sync_tree() {
    mkdir -p "$scratch"
    (cd "$here" && git ls-files --cached --others --exclude-standard) | while IFS= read -r file; do
        [ -f "$here/$file" ] || continue
        if ! cmp -s "$here/$file" "$scratch/$file"; then
            mkdir -p "$(dirname "$scratch/$file")"
            cp "$here/$file" "$scratch/$file"
        fi
    done
}

build_tests() {
    [ -f "$build/build.ninja" ] || cmake -S "$scratch" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >"$build.log" 2>&1 || return 1
    cmake --build "$build" -j "$jobs" --target ollendor-core-tests ollendor-tests ollendor-desk-tests >>"$build.log" 2>&1
}

# Runs the unit test program (with a home of its own) under a filter; gives the names of
# the failed tests on standard output, nothing when all passed.
run_tests() {
    for program in ollendor-core-tests ollendor-tests ollendor-desk-tests; do
        (cd "$build" && "$scratch/tests/support/own_home.sh" "./$program" --gtest_brief=1 \
            --gtest_filter="$1" ${2:-}) 2>&1
    done | sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_/]*\.[A-Za-z0-9_/]*\).*/\1/p' | sort -u
}

sync_tree
say "building the scratch copy in $build ..."
build_tests || { say "the unchanged copy does not build: see $build.log"; exit 2; }
failures=$(run_tests "$(faults | cut -d@ -f4 | tr '\n' ':')")
if [ -n "$failures" ]; then
    say "the unchanged copy already fails: $failures"
    exit 2
fi

missed=0
printf '%-28s %-26s %s\n' "fault" "file" "result"
faults | while IFS='@' read -r name file substitution layer; do
    if [ $# -gt 0 ]; then
        case " $* " in *" $name "*) ;; *) continue ;; esac
    fi
    perl -0pi -e "$substitution" "$scratch/$file"
    if cmp -s "$here/$file" "$scratch/$file"; then
        printf '%-28s %-26s %s\n' "$name" "$file" "NOT APPLIED (the line is not there)"
        echo missed >>"$build/missed"
        continue
    fi
    if ! build_tests; then
        result="caught by the build"
    else
        caught=$(run_tests "$layer")
        [ -n "$caught" ] || caught=$(run_tests '*' --gtest_fail_fast)
        if [ -n "$caught" ]; then
            result="caught: $(echo "$caught" | head -3 | tr '\n' ' ')"
        else
            result="NOT CAUGHT"
            echo missed >>"$build/missed"
        fi
    fi
    printf '%-28s %-26s %s\n' "$name" "$file" "$result"
    cp "$here/$file" "$scratch/$file" # a new time stamp: rebuilt next round
done
if [ -f "$build/missed" ]; then
    missed=$(wc -l <"$build/missed")
    rm -f "$build/missed"
fi
build_tests >/dev/null 2>&1 # leave the copy built as it is in the tree
[ "$missed" -eq 0 ] && say "every fault was caught" || say "$missed fault(s) not caught or not applied"
[ "$missed" -eq 0 ]
