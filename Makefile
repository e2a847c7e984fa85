# Orvane: top-level driver. `make run` and `make test` install what is
# missing, build and then start the reader or run every test.
B        := $(CURDIR)/build
HOST     := $(B)/host
WIN      := $(B)/win
FUZZ     := $(B)/fuzz
# `make test` builds and tests in a tree of its own, always from the
# generated corpus, and leaves the program in build/ as it is.
TESTB    := $(B)/test
JOBS     ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# The corpus: `make build CORPUS=DIR` (or CORPUS in the environment) builds
# the reader from the UTF-8 texts in DIR (see README) and remembers DIR in
# CHOICE; later builds, run, dist, install, export and bench use it (and say
# so) until `make build CORPUS=` goes back to the generated corpus. TEXTS is
# the folder this run builds from, empty for the generated corpus.
CHOICE   := $(B)/corpus-texts
ifneq ($(findstring $(origin CORPUS),command line|environment|environment override),)
CHOOSE   := set
TEXTS    := $(if $(strip $(CORPUS)),$(if $(filter /%,$(CORPUS)),$(CORPUS),$(CURDIR)/$(CORPUS)))
else
CHOOSE   := keep
TEXTS    := $(file <$(CHOICE))
endif
# EXPORT is where `make export` writes the texts of the embedded corpus.
EXPORT   ?= $(B)/texts
PREFIX   ?= $(HOME)/.local
# A value as one shell word, whatever it holds.
quote = '$(subst ','\'',$(1))'

.PHONY: all deps corpus-choice host win build run test test-native test-win fuzz fuzz-build bench export clean dist install uninstall

all: build

deps:
	@./tools/install-deps.sh

# Records or checks the corpus choice, and says which corpus the build uses;
# a remembered folder that has gone stops the build here.
corpus-choice:
	@./tools/corpus-choice.sh $(CHOOSE) $(call quote,$(CHOICE)) $(call quote,$(TEXTS))

host:
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release -DORVANE_TEXTS=$(call quote,$(TEXTS)) >/dev/null
	cmake --build $(HOST) -j $(JOBS)

win: host
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DORVANE_CORPUS_DIR=$(HOST)/corpus -DORVANE_EXE_DIR=$(B) >/dev/null
	cmake --build $(WIN) -j $(JOBS)

# The program ends up at build/orvane.exe. The corpus is checked before
# anything is installed or built.
build: corpus-choice
	@$(MAKE) --no-print-directory deps
	@$(MAKE) --no-print-directory win

run: build
	./tools/run-reader.sh $(B)/orvane.exe

# The tests' program is build/test/orvane.exe, from the generated corpus.
test: deps
	@./tools/corpus-choice.sh test $(call quote,$(CHOICE))
	@$(MAKE) --no-print-directory win B=$(TESTB) TEXTS=
	@$(MAKE) --no-print-directory fuzz-build
	./tools/run-tests.sh $(TESTB) $(FUZZ)

test-native:
	cd $(TESTB)/host && ctest --output-on-failure -j $(JOBS)

test-win:
	./tools/with-display.sh sh -c 'cd $(TESTB)/win && ctest --output-on-failure'

fuzz-build:
	CXX=clang++ CC=clang cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) -j $(JOBS)

fuzz: deps
	@$(MAKE) --no-print-directory fuzz-build
	./tools/run-fuzzers.sh $(FUZZ) $(FUZZ_SECONDS) $(HOST)/corpus

bench: build
	./tools/run-bench.sh $(B)

# Writes the texts of the corpus the build embeds: the template to fill.
export: corpus-choice
	@$(MAKE) --no-print-directory deps
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
