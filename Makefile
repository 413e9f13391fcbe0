# The two commands of the project. Both install what they need on a fresh Debian 12 machine.
.PHONY: run test build clean

run:
	bash scripts/run.sh

test:
	bash scripts/test.sh

build:
	bash scripts/install-deps.sh
	cmake -S . -B build -G Ninja
	cmake --build build -j2

clean:
	rm -rf build build-*
