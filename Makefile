# The README's two commands, for those who have make: the same as ./run and ./test.
.PHONY: run smoke test clean

run:
	bash scripts/run.sh

smoke:
	bash scripts/run.sh --smoke

test:
	bash scripts/test.sh

clean:
	rm -rf build build-run build-test
