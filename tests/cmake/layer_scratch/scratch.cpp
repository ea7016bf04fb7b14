int ScratchFunction() { return 0; }
