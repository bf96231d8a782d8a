"""Host-side writers for the setup's art and the device package (used by tools/gen_assets.py)."""
