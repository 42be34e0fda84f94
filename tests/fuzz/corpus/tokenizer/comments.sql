-- line
// other
/* block */ /*/ x /* open