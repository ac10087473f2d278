"""Finds the package and the library: the build's, when CTest runs the tests."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, '..', '..')
sys.path.insert(0, os.path.join(SOURCE, 'python'))
sys.path.insert(0, os.environ.get('TABRIX_INTEROP', os.path.join(SOURCE, 'tests', 'interop')))
if 'TABRIX_LIBRARY' not in os.environ:
    os.environ['TABRIX_LIBRARY'] = os.path.join(SOURCE, 'build', 'libtabrix.so')
