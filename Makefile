# Orvane: top-level driver. `make run` and `make test` install what is
# missing, build and then start the reader or run every test.
B        := $(CURDIR)/build
HOST     := $(B)/host
WIN      := $(B)/win
FUZZ     := $(B)/fuzz
JOBS     ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# CORPUS=DIR builds the reader from the UTF-8 texts in DIR (see README);
# without it the generated corpus is embedded. EXPORT is where `make export`
# writes the texts of the embedded corpus.
CORPUS   ?=
EXPORT   ?= $(B)/texts
PREFIX   ?= $(HOME)/.local

.PHONY: all deps host win build run test test-native test-win fuzz fuzz-build bench export clean dist install uninstall

all: build

deps:
	@./tools/install-deps.sh

host:
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release -DORVANE_TEXTS="$(abspath $(CORPUS))" >/dev/null
	cmake --build $(HOST) -j $(JOBS)

win: host
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DORVANE_CORPUS_DIR=$(HOST)/corpus -DORVANE_EXE_DIR=$(B) >/dev/null
	cmake --build $(WIN) -j $(JOBS)

# The program ends up at build/orvane.exe.
build: deps
	@$(MAKE) --no-print-directory win

run: build
	./tools/run-reader.sh $(B)/orvane.exe

test: build
	@$(MAKE) --no-print-directory fuzz-build
	./tools/run-tests.sh

test-native:
	cd $(HOST) && ctest --output-on-failure -j $(JOBS)

test-win:
	./tools/with-display.sh sh -c 'cd $(WIN) && ctest --output-on-failure'

fuzz-build:
	CXX=clang++ CC=clang cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) -j $(JOBS)

fuzz: deps
	@$(MAKE) --no-print-directory fuzz-build
	./tools/run-fuzzers.sh $(FUZZ) $(FUZZ_SECONDS)

bench: build
	./tools/run-bench.sh

# Writes the texts of the corpus the build embeds: the template to fill.
export: deps
	@$(MAKE) --no-print-directory host
	$(HOST)/tools/corpus/corpustext export $(HOST)/corpus $(abspath $(EXPORT))

# The Windows installer and the portable archive, in build/dist/.
dist: build
	./tools/dist/make-dist.sh $(B)/orvane.exe $(B)/dist

# Linux: the program, a launcher that runs it under Wine, a menu entry and
# the icon under PREFIX; uninstall removes exactly what install put there.
install: build
	./tools/dist/linux-install.sh install "$(PREFIX)" $(B)/orvane.exe resources/orvane.ico

uninstall:
	./tools/dist/linux-install.sh uninstall "$(PREFIX)"

clean:
	rm -rf $(B)
