# Native build of the portable image layer and its tests under the sanitizers.
