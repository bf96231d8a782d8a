# The two commands a newcomer needs: `make demo` and `make test`. Each installs what it needs.
BUILD ?= $(CURDIR)/build

.PHONY: deps build test demo bench reliability clean

deps:
	@scripts/install-deps

build: deps
	@scripts/build $(BUILD)

test: deps
	@scripts/run-tests $(BUILD)

demo: deps
	@scripts/demo $(BUILD) $(CHANNEL)

bench: deps
	@scripts/bench $(BUILD)

reliability: deps
	@MEASURE_HANG=$(MEASURE_HANG) scripts/reliability $(BUILD)

clean:
	rm -rf $(BUILD)
