# Front door: make (build), make run, make test, make test-asan, make fuzz, make bench,
# make install, make deb.
BUILD      ?= build
ASAN_BUILD ?= build-asan
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all build program deps deps-run run test test-asan bench install deb clean format fuzz house

all: build

deps:
	@bash tools/install-deps.sh test

deps-run:
	@bash tools/install-deps.sh run

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_ARGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Only what the program needs: no test tools, no tests built.
program: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target quillomat nevnap quill_beside

run: deps-run program
	./$(BUILD)/bin/quillomat

test: deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUILL_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE e2e

bench: deps build
	bash bench/firstframe.sh $(BUILD)
	bash bench/run.sh $(BUILD)
	bash bench/contacts.sh $(BUILD)
	bash bench/daylong.sh $(BUILD)
	bash bench/slowsave.sh $(BUILD)

FUZZ_SECONDS ?= 60
fuzz: deps
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DQUILL_FUZZ=ON -DQUILL_TESTS=OFF $(CMAKE_ARGS)
	cmake --build build-fuzz -j $(JOBS) --target fuzz_loader fuzz_vcard fuzz_ical
	mkdir -p build-fuzz/corpus build-fuzz/vcard-corpus build-fuzz/ical-corpus
	cp tests/fuzz/seeds/* build-fuzz/corpus/
	cp tests/fuzz/vcard-seeds/* build-fuzz/vcard-corpus/
	cp tests/fuzz/ical-seeds/* build-fuzz/ical-corpus/
	./build-fuzz/bin/fuzz_loader -max_total_time=$(FUZZ_SECONDS) -max_len=200000 -timeout=10 \
		-rss_limit_mb=4096 build-fuzz/corpus
	./build-fuzz/bin/fuzz_vcard -max_total_time=$(FUZZ_SECONDS) -max_len=200000 -timeout=10 \
		-rss_limit_mb=4096 build-fuzz/vcard-corpus
	# Components nested 300 000 deep, near the 8 MB import limit: run once as they are.
	mkdir -p build-fuzz/ical-deep
	python3 -c 'import sys; sys.stdout.write("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n" + "BEGIN:VALARM\r\n" * 300000)' \
		> build-fuzz/ical-deep/nested.ics
	./build-fuzz/bin/fuzz_ical -rss_limit_mb=4096 build-fuzz/ical-deep/nested.ics
	./build-fuzz/bin/fuzz_ical -max_total_time=$(FUZZ_SECONDS) -max_len=200000 -timeout=10 \
		-rss_limit_mb=4096 build-fuzz/ical-corpus

install: program
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the program (everything under /usr), its dependencies taken from the
# binaries: quillomat_<version>_<arch>.deb in this folder.
deb: deps program
	cd $(BUILD) && cpack -G DEB -B $(CURDIR)/$(BUILD)/package >/dev/null
	cp $(BUILD)/package/quillomat_*.deb .
	@ls quillomat_*.deb

# The house rules a script can check: sizes, tests mirroring src/, headers of their own.
house:
	bash tools/check-house.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz quillomat_*.deb
