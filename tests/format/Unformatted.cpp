// Not formatted: the format check must refuse this file.
int  Unformatted( int a,int b ){return a+b;}
