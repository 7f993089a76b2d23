// Placeholder so the library has a source until the model code lands.
