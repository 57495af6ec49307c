// Removed once the toolkit lands.
