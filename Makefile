# The README's two commands, for those who have make: the same as ./run and ./test.
.PHONY: run smoke test fuzz mutate soak tsan clean

run:
	bash scripts/run.sh

smoke:
	bash scripts/run.sh --smoke

test:
	bash scripts/test.sh

# Each fuzz program for FUZZ_SECONDS (default 60), in build-fuzz with clang.
fuzz:
	bash scripts/fuzz.sh

# Every kill loop SOAK_RUNS times (default 200), on both engines, and the workstations' race.
soak:
	bash scripts/soak.sh

# Every test under ThreadSanitizer, in build-tsan.
tsan:
	bash scripts/tsan.sh

# One-line changes to the rules of core, each of which some test must catch.
mutate:
	bash scripts/mutate.sh

clean:
	rm -rf build build-run build-test build-fuzz build-mutate build-tsan
