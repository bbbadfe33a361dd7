"""A sample of the corruption sweep: copies of a built installer with one
flipped byte in the head, the settings block, the archive or the table of
data sizes are refused
with the corrupt-installer (or version) message and leave the prefix as it
was. `make corruption-sweep` runs a larger sample."""

import pytest

import builder
import corruption
import snapshot

COPIES = 16  # per installer, spread over the four regions


@pytest.fixture(scope="module")
def before():
    """The prefix before the sweep; compared again, registry and all, after it."""
    corruption.remove_product()
    state = snapshot.take()
    yield state
    problems = snapshot.compare(state, snapshot.take())
    corruption.remove_product()
    assert problems == [], "\n".join(problems)


@pytest.fixture(scope="module", params=["scrambled", "enciphered"])
def installer(request, tmp_path_factory):
    options = ("--key", "8899aabbccddeeff") if request.param == "enciphered" else ()
    return builder.build_product(tmp_path_factory.mktemp(request.param), corruption.PRODUCT,
                                 corruption.product_files(), *options).read_bytes()


def test_sampled_flips_are_refused_and_change_nothing(installer, before, tmp_path):
    flips = corruption.sample(installer, COPIES, seed=11, regions=corruption.REGIONS)
    outcomes = [corruption.run_copy(installer, flip, tmp_path, before.files) for flip in flips]
    assert {o.flip.region for o in outcomes} == set(corruption.REGIONS)
    assert [str(o) for o in outcomes if not o.ok] == []


# The table of data sizes is covered by no checksum, and the entries are
# only checked against it as the file loop reaches them: by then the
# installation folder and the earlier entries' files are on the disk, and
# the rollback takes them away again.
@pytest.mark.parametrize("entry, byte, mask", [(0, 1, 0x20), (2, 0, 0x01)], ids=["first-larger", "third-smaller"])
def test_a_damaged_data_size_writes_nothing(installer, before, tmp_path, entry, byte, mask):
    sizes = corruption.layout(installer)["sizes"][0]
    flip = corruption.Flip(sizes.start + 4 * entry + byte, mask, "sizes")
    outcome = corruption.run_copy(installer, flip, tmp_path, before.files)
    assert outcome.ok, str(outcome)
