"""Hypothesis settings for the property tests, chosen by KALENDO_HYPOTHESIS_PROFILE.

"ci" (the default) is derandomised, stores no examples and has no deadline, so every run tries the same
inputs and a slow machine cannot fail it. "dev" searches longer and keeps failing examples between runs.
"""

import os

from hypothesis import HealthCheck, settings

settings.register_profile(
    "ci", derandomize=True, max_examples=250, deadline=None, database=None,
    suppress_health_check=[HealthCheck.too_slow])
settings.register_profile(
    "dev", max_examples=3000, deadline=None, suppress_health_check=[HealthCheck.too_slow])
settings.load_profile(os.environ.get("KALENDO_HYPOTHESIS_PROFILE", "ci"))
